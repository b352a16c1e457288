// The window driven like a user would: keys, clicks and mouse movement on the offscreen platform,
// with the shipped data file. Checks what the window adds to the form model: when Validate,
// Change, MouseMove and GotFocus reach the model, that the widgets show the model, the layout,
// the failure line, the data-file question and the two exports' files.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

#include "app/control_entry.h"
#include "app/controls.h"
#include "app/form_model.h"
#include "app/valuation_form.h"

using orvane::app::Control;
using orvane::app::ControlKind;
using orvane::app::FormEnvironment;
using orvane::app::KindOf;
using orvane::app::ValuationForm;
using orvane::tables::RetryAnswer;

namespace {

std::filesystem::path DataDir() {
  const char* root = std::getenv("ORVANE_SOURCE_DIR");
  return std::filesystem::path(root ? root : ".") / "data";
}

FormEnvironment Shipped() {
  FormEnvironment environment;
  environment.data_dir = DataDir();
  environment.tables_file = DataDir() / "MortalityTables";
  environment.ask_retry = [] { return RetryAnswer::kCancel; };
  return environment;
}

// A shown and active window; nullptr when the platform would not activate it.
std::unique_ptr<ValuationForm> Open(
    FormEnvironment environment,
    ValuationForm::FileOpener opener = [](const QString&) { return true; }) {
  auto form = std::make_unique<ValuationForm>(std::move(environment), std::move(opener));
  form->show();
  form->activateWindow();
  if (!QTest::qWaitForWindowActive(form.get()))
    return nullptr;
  return form;
}

QLineEdit* Edit(ValuationForm& form, Control control) {
  return qobject_cast<QLineEdit*>(form.WidgetOf(control));
}
QComboBox* Chooser(ValuationForm& form, Control control) {
  return qobject_cast<QComboBox*>(form.WidgetOf(control));
}
QAbstractButton* Button(ValuationForm& form, Control control) {
  return qobject_cast<QAbstractButton*>(form.WidgetOf(control));
}
QString Shown(ValuationForm& form, const char* label) {
  return form.findChild<QLabel*>(QLatin1String(label))->text();
}
int Count(ValuationForm& form) {
  return form.model().RecalculationCount();
}

std::optional<Control> Focused(ValuationForm& form) {
  return form.ControlOf(QApplication::focusWidget());
}

// A click on a check box or option button, on its indicator.
void ClickBox(QAbstractButton* box) {
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// "1,234.56" as a number.
double Amount(QString text) {
  bool ok = false;
  const double value = text.remove(QLatin1Char(',')).trimmed().toDouble(&ok);
  return ok ? value : -1.0;
}

// Every widget shows the model's text or state, and the two display areas its captions.
bool ShowsTheModel(ValuationForm& form) {
  auto& model = form.model();
  for (int i = 0; i < orvane::app::kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    switch (KindOf(control)) {
      case ControlKind::kTextField:
        if (Edit(form, control)->text().toStdString() != model.Text(control))
          return false;
        break;
      case ControlKind::kTableChooser:
        if (Chooser(form, control)->currentText().toStdString() != model.Text(control))
          return false;
        break;
      case ControlKind::kCheckBox:
      case ControlKind::kOptionButton:
        if (Button(form, control)->isChecked() != model.Checked(control))
          return false;
        break;
      case ControlKind::kButton:
        break;
    }
  }
  return Shown(form, "Label6").toStdString() == model.Message() &&
         Shown(form, "orvaneresults").toStdString() == model.Result();
}

// Answers the next modal message box with `answer`, noting its title, text and detail.
void AnswerNextBox(QObject* context, QMessageBox::StandardButton answer, QString* title,
                   QString* text, QString* detail = nullptr) {
  QTimer::singleShot(20, context, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      AnswerNextBox(context, answer, title, text, detail);
      return;
    }
    *title = box->windowTitle();
    *text = box->text();
    if (detail != nullptr)
      *detail = box->informativeText();
    box->button(answer)->click();
  });
}

// Runs `act` on the widget `find` returns once it is shown (a popup or a modal dialog that a
// blocking exec is about to show).
void WhenShown(QObject* context, std::function<QWidget*()> find,
               std::function<void(QWidget*)> act) {
  QTimer::singleShot(20, context, [=] {
    QWidget* widget = find();
    if (widget == nullptr || !widget->isVisible()) {
      WhenShown(context, find, act);
      return;
    }
    act(widget);
  });
}

// Points the user's temporary folder at `path` while it lives.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const QString& path) : saved_(qgetenv("TMPDIR")) {
    qputenv("TMPDIR", QFile::encodeName(path));
  }
  ~TemporaryFolder() {
    if (saved_.isNull())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", saved_);
  }

 private:
  QByteArray saved_;
};

// Some visible export note of the window contains `text`.
bool Noted(ValuationForm& form, const QString& text) {
  for (QMessageBox* note : form.findChildren<QMessageBox*>(QStringLiteral("ExportNote"))) {
    if (note->isVisible() && note->text().contains(text))
      return true;
  }
  return false;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY2(std::filesystem::exists(DataDir() / "MortalityTables"),
             "the shipped data/MortalityTables is missing (is ORVANE_SOURCE_DIR set?)");
  }

  void opensWithTheDefaultsAndNoResult() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Orvane"));
    QVERIFY(!form->windowIcon().isNull());
    QCOMPARE(Shown(*form, "orvaneresults"), QStringLiteral("Not calculated"));
    QCOMPARE(Shown(*form, "Label6"), QStringLiteral("Input month to use yield curve from."));
    QCOMPARE(Shown(*form, "FailureLine"), QString());
    QCOMPARE(Edit(*form, Control::Benefit)->text(), QStringLiteral("  1,000.00"));
    QCOMPARE(Edit(*form, Control::InterestRate1)->text(), QStringLiteral(" 4.600"));
    QCOMPARE(Edit(*form, Control::Period1)->text(), QStringLiteral(" 5"));
    QCOMPARE(Edit(*form, Control::MonthOfYieldCurve)->text(), QStringLiteral(" 1"));
    QCOMPARE(Chooser(*form, Control::PreRetPrimary)->currentText(), QStringLiteral("None"));
    QCOMPARE(Chooser(*form, Control::PostRetPrimary)->currentText(), QStringLiteral("2008417e"));
    QVERIFY(Button(*form, Control::YieldCurve)->isChecked());
    QVERIFY(Button(*form, Control::Male)->isChecked());
    QVERIFY(!Button(*form, Control::Female)->isChecked());
    QVERIFY(Button(*form, Control::NoProjection)->isChecked());
    QVERIFY(!Button(*form, Control::FullYieldCurve)->isChecked());

    // The four choosers list the catalogue, each entry once.
    const auto& entries = form->model().TableList();
    QVERIFY(!entries.empty());
    for (Control chooser : {Control::PreRetPrimary, Control::PostRetContingent,
                            Control::PreRetContingent, Control::PostRetPrimary}) {
      QComboBox* combo = Chooser(*form, chooser);
      QCOMPARE(combo->count(), static_cast<int>(entries.size()));
      QCOMPARE(combo->itemText(0).toStdString(), entries.front());
      QVERIFY(combo->isEditable());
    }
    QCOMPARE(Count(*form), 0);
    QCOMPARE(Focused(*form), std::optional<Control>(Control::CurrentAge));
    QVERIFY(ShowsTheModel(*form));
  }

  // "417(e) segment rates of..." in an interest field's context menu opens the months, newest
  // first with the plan year where a month's rates differ by plan year; the month chosen fills
  // Interest Rate 1-3 as typing and leaving them does, and the window keeps its size. With
  // ORVANE_DIALOG_PICTURE set, the dialog is saved there as a PNG.
  void segmentRatesOfAMonthFillTheInterestFields() {
    auto form = Open(Shipped());
    QVERIFY(form);
    const QSize size = form->size();
    const int before = Count(*form);
    QStringList first_months;
    QStringList plan_years_of_2011_10;
    WhenShown(
        form.get(), [] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
        [&](QWidget* popup) {
          auto* menu = static_cast<QMenu*>(popup);
          auto* action = menu->findChild<QAction*>(QStringLiteral("SegmentRatesAction"));
          QVERIFY(action != nullptr);
          QCOMPARE(action->text(), QStringLiteral("417(e) segment rates of\u2026"));
          WhenShown(
              form.get(), [] { return QApplication::activeModalWidget(); },
              [&](QWidget* dialog) {
                auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("SegmentRatesList"));
                QVERIFY(list != nullptr);
                QTreeWidgetItem* chosen = nullptr;
                for (int i = 0; i < list->topLevelItemCount(); ++i) {
                  QTreeWidgetItem* item = list->topLevelItem(i);
                  if (i < 2)
                    first_months << item->text(0) + "/" + item->text(1);
                  if (item->text(0) == QStringLiteral("2011-10"))
                    plan_years_of_2011_10 << item->text(1);
                  if (item->text(0) == QStringLiteral("2025-11"))
                    chosen = item;
                }
                QVERIFY(chosen != nullptr);
                list->setCurrentItem(chosen);
                list->scrollToItem(chosen, QAbstractItemView::PositionAtCenter);
                const QByteArray picture = qgetenv("ORVANE_DIALOG_PICTURE");
                if (!picture.isEmpty())
                  QVERIFY(dialog->grab().save(QString::fromLocal8Bit(picture), "PNG"));
                static_cast<QDialog*>(dialog)->accept();
              });
          menu->setActiveAction(action);
          QTest::keyClick(menu, Qt::Key_Return);
        });
    Q_EMIT Edit(*form, Control::InterestRate2)->customContextMenuRequested(QPoint(4, 4));

    QCOMPARE(first_months, QStringList({"2026-05/", "2026-04/"}));
    QCOMPARE(plan_years_of_2011_10, QStringList({"2010", "2011", "2012"}));
    QCOMPARE(Edit(*form, Control::InterestRate1)->text(), QStringLiteral("4.070"));
    QCOMPARE(Edit(*form, Control::InterestRate2)->text(), QStringLiteral("5.150"));
    QCOMPARE(Edit(*form, Control::InterestRate3)->text(), QStringLiteral("6.010"));
    QCOMPARE(Count(*form), before + 3);  // each field left in turn
    orvane::app::FormModel typed(Shipped());
    typed.Load();
    for (const auto& [field, rate] : {std::pair{Control::InterestRate1, "4.07"},
                                      {Control::InterestRate2, "5.15"},
                                      {Control::InterestRate3, "6.01"}})
      orvane::app::EnterControlText(typed, field, rate);
    QCOMPARE(Shown(*form, "orvaneresults").toStdString(), typed.Result());
    QCOMPARE(form->size(), size);
    QVERIFY(ShowsTheModel(*form));
  }

  void placesTheControlsAtTheirTwipPositions() {
    auto form = Open(Shipped());
    QVERIFY(form);
    auto near = [&](QWidget* widget, int left, int top) {
      const QPoint at = widget->mapTo(form.get(), QPoint(0, 0));
      return std::abs(at.x() - form->Pixels(left)) <= 1 &&
             std::abs(at.y() - form->Pixels(top)) <= 1;
    };
    // The designed form, and under it the band for the reason of a failed recalculation.
    QCOMPARE(form->width(), form->Pixels(11655));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const QWidget* band = form->findChild<QWidget*>(QStringLiteral("FailureLine"));
    QVERIFY(band->y() >= form->Pixels(8085) && band->geometry().bottom() < form->height());
    // A field in a frame, a button in a frame inside a frame, the window's own button, a chooser,
    // the results label: frame offset plus the control's own position.
    QVERIFY(near(form->WidgetOf(Control::CurrentAge), 4000 + 2000, 5020 + 255));
    QVERIFY(near(form->WidgetOf(Control::Female), 3550 + 120 + 3000, 1440 + 3000 + 50));
    QVERIFY(near(form->WidgetOf(Control::ExportDetail), 7560, 7080));
    QVERIFY(near(form->WidgetOf(Control::PostRetPrimary), 3550 + 4450, 1440 + 650));
    QVERIFY(
        near(form->findChild<QWidget*>(QStringLiteral("orvaneresults")), 8160 + 240, 360 + 360));
    QVERIFY(near(form->findChild<QWidget*>(QStringLiteral("Label6")), 240 + 960, 240 + 240));
    QVERIFY(std::abs(form->WidgetOf(Control::PostRetPrimary)->width() - form->Pixels(3350)) <= 1);

    const QFont caption = form->findChild<QWidget*>(QStringLiteral("Frame5"))->font();
    const QFont result = form->findChild<QWidget*>(QStringLiteral("orvaneresults"))->font();
    QVERIFY(caption.bold() && result.bold());
    QCOMPARE(caption.pointSizeF(), 12.0);
    QCOMPARE(result.pointSizeF(), 9.75);
  }

  void typedTextCountsWhenTheFieldIsLeftByTab() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QLineEdit* benefit = Edit(*form, Control::Benefit);
    QTest::mouseClick(benefit, Qt::LeftButton);  // leaves CurrentAge: the first recalculation
    QCOMPARE(Count(*form), 1);
    const double single = Amount(Shown(*form, "orvaneresults"));
    QVERIFY(single > 0);

    benefit->selectAll();
    QTest::keyClicks(benefit, QStringLiteral("2000"));
    QCOMPARE(form->model().Text(Control::Benefit), std::string("2000"));
    QCOMPARE(Count(*form), 1);  // typing alone does not recalculate
    QTest::keyClick(benefit, Qt::Key_Tab);
    QCOMPARE(Focused(*form), std::optional<Control>(Control::Maximum));
    QCOMPARE(Count(*form), 2);
    QVERIFY(benefit->text().contains(QStringLiteral("2,000.00")));
    QVERIFY(std::abs(Amount(Shown(*form, "orvaneresults")) - 2 * single) <= 0.011);
    QVERIFY(ShowsTheModel(*form));
  }

  void shiftTabAndClicksAlsoValidateButLabelsAndOtherWindowsDoNot() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QLineEdit* benefit = Edit(*form, Control::Benefit);
    benefit->setFocus(Qt::TabFocusReason);
    QCOMPARE(Count(*form), 1);
    const double single = Amount(Shown(*form, "orvaneresults"));

    benefit->selectAll();
    QTest::keyClicks(benefit, QStringLiteral("3000"));
    QTest::keyClick(benefit, Qt::Key_Backtab);
    QCOMPARE(Focused(*form), std::optional<Control>(Control::UseRoundedAge));
    QCOMPARE(Count(*form), 2);
    QVERIFY(std::abs(Amount(Shown(*form, "orvaneresults")) - 3 * single) <= 0.011);

    QTest::mouseClick(benefit, Qt::LeftButton);
    QCOMPARE(Count(*form), 3);
    benefit->selectAll();
    QTest::keyClicks(benefit, QStringLiteral("1000"));
    QTest::mouseClick(form->findChild<QWidget*>(QStringLiteral("Label16")), Qt::LeftButton);
    QCOMPARE(Count(*form), 3);  // a label takes no focus
    QTest::mouseClick(Edit(*form, Control::Load), Qt::LeftButton);
    QCOMPARE(Count(*form), 4);
    QVERIFY(std::abs(Amount(Shown(*form, "orvaneresults")) - single) <= 0.011);

    // Another window taking the activation and giving it back is no move between controls.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QCOMPARE(Count(*form), 4);
    QCOMPARE(Focused(*form), std::optional<Control>(Control::Load));
  }

  void tabVisitsTheControlsInTabIndexOrder() {
    auto form = Open(Shipped());
    QVERIFY(form);
    const std::vector<Control> order = {Control::CurrentAge,
                                        Control::SpousesAge,
                                        Control::RetirementAge,
                                        Control::InterestRate1,
                                        Control::InterestRate2,
                                        Control::InterestRate3,
                                        Control::Period1,
                                        Control::Period2,
                                        Control::YieldCurve,
                                        Control::PostRetirementInterest,
                                        Control::UseRoundedAge,
                                        Control::Benefit,
                                        Control::Maximum,
                                        Control::PeriodCertain,
                                        Control::PercentToSurvivor,
                                        Control::COLA,
                                        Control::PreRetPrimary,
                                        Control::PostRetContingent,
                                        Control::PreRetContingent,
                                        Control::PostRetPrimary,
                                        Control::BlendedAnnuitnat,
                                        Control::Load,
                                        Control::DateOfBirth,
                                        Control::SpousesDateOfBirth,
                                        Control::RetirementDate,
                                        Control::ValuationDate,
                                        Control::BlendedMaleFemale,
                                        Control::NoProjection,
                                        Control::ProjToValuation,
                                        Control::ProjToRetirement,
                                        Control::ProjToPayment,
                                        Control::Female,
                                        Control::Male,
                                        Control::UsePreamble,
                                        Control::ExportMortality,
                                        Control::FullYieldCurve,
                                        Control::YearOfYieldCurve,
                                        Control::MonthOfYieldCurve,
                                        Control::ExportDetail};
    int validated = 0;
    for (std::size_t i = 1; i <= order.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      const Control expected = order[i % order.size()];
      QVERIFY2(Focused(*form) == expected,
               qPrintable(QStringLiteral("tab %1 should reach %2")
                              .arg(i)
                              .arg(QLatin1String(orvane::app::NameOf(expected).data()))));
      // Every move validates the control left; a command button's Validate does nothing.
      if (KindOf(order[i - 1]) != ControlKind::kButton)
        ++validated;
      QCOMPARE(Count(*form), validated);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(Focused(*form), std::optional<Control>(Control::ExportDetail));
  }

  void anOptionClickRecalculatesOncePerChangedButton() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QAbstractButton* female = Button(*form, Control::Female);
    female->setFocus(Qt::TabFocusReason);  // leaving CurrentAge recalculates once
    const int before = Count(*form);
    ClickBox(female);
    QCOMPARE(Count(*form), before + 2);  // Female turned on, Male turned off
    QVERIFY(female->isChecked());
    QVERIFY(!Button(*form, Control::Male)->isChecked());
    QVERIFY(!form->model().Checked(Control::Male));

    // Clicking the selected button again changes nothing, although Qt toggles it.
    ClickBox(female);
    QCOMPARE(Count(*form), before + 2);
    QVERIFY(female->isChecked());
    QVERIFY(ShowsTheModel(*form));
  }

  void yieldCurveWaitsForTheFocusToLeave() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QAbstractButton* box = Button(*form, Control::YieldCurve);
    box->setFocus(Qt::TabFocusReason);
    const int before = Count(*form);
    const QString shown = Shown(*form, "orvaneresults");
    ClickBox(box);
    QVERIFY(!form->model().Checked(Control::YieldCurve));
    QVERIFY(!box->isChecked());
    QCOMPARE(Count(*form), before);
    QCOMPARE(Shown(*form, "orvaneresults"), shown);
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(Count(*form), before + 1);
    QVERIFY(Shown(*form, "orvaneresults") != shown);
  }

  void helpTextsFollowTheMouseTheFocusAndTyping() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QTest::mouseMove(Edit(*form, Control::Benefit));
    QCOMPARE(Shown(*form, "Label6"), QStringLiteral("This is the monthly benefit being valued."));
    QTest::mouseMove(form->findChild<QWidget*>(QStringLiteral("Label17")));
    QCOMPARE(Shown(*form, "Label6"), QStringLiteral("This is the monthly benefit being valued."));

    // A long text wraps inside the message area and is shown whole.
    QTest::mouseMove(Button(*form, Control::BlendedAnnuitnat));
    auto* area = form->findChild<QLabel*>(QStringLiteral("Label6"));
    QVERIFY(area->text().startsWith(QStringLiteral("Blend the projected mortality table")));
    QVERIFY(area->wordWrap());
    QVERIFY(area->heightForWidth(area->width()) <= area->height());

    Chooser(*form, Control::PreRetPrimary)->setFocus(Qt::TabFocusReason);
    QVERIFY(Shown(*form, "Label6")
                .startsWith(
                    QStringLiteral("Mortality table applied to participant prior to retirement.")));

    QLineEdit* date = Edit(*form, Control::ValuationDate);
    date->setFocus(Qt::TabFocusReason);
    QTest::keyClick(date, Qt::Key_End);
    QTest::keyClick(date, Qt::Key_Backspace);
    QVERIFY(Shown(*form, "Label6")
                .startsWith(QStringLiteral("This is the date the benefit is being valued as of.")));
  }

  void choosersKeepWhatIsTypedOrPickedAndTheirListValidatesNothing() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QComboBox* combo = Chooser(*form, Control::PostRetPrimary);
    combo->setFocus(Qt::TabFocusReason);
    const int before = Count(*form);

    // A pick from the open list; opening and closing it moves the focus to a popup and back.
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_End);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
    const QString last = combo->itemText(combo->count() - 1);
    QCOMPARE(form->model().Text(Control::PostRetPrimary), last.toStdString());
    QCOMPARE(Count(*form), before);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(Count(*form), before + 1);

    // Typed text, here an entry in other letter case, is taken as typed.
    combo->setFocus(Qt::BacktabFocusReason);
    const QString shouted = combo->itemText(0).toUpper();
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), shouted);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(form->model().Text(Control::PostRetPrimary), shouted.toStdString());
    QCOMPARE(combo->currentText(), shouted);
    QVERIFY(ShowsTheModel(*form));
  }

  // About 140 entries of up to 130 characters in a narrow field: the open list shows each entry
  // whole, typing a name's start completes it, and a picked entry shows the table's name.
  void choosersCompleteANameAndShowEveryEntryWhole() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QComboBox* combo = Chooser(*form, Control::PostRetPrimary);
    const QFontMetrics metrics(combo->view()->font());
    for (int i = 0; i < combo->count(); ++i)
      QVERIFY(combo->view()->minimumWidth() > metrics.horizontalAdvance(combo->itemText(i)));

    combo->setFocus(Qt::TabFocusReason);
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("2016N"));
    QVERIFY2(combo->currentText().startsWith(QStringLiteral("2016NAM  IRS 2016 430(h)(3)")),
             qPrintable(combo->currentText()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(form->model().Text(Control::PostRetPrimary).substr(0, 9), std::string("2016NAM  "));

    combo->setFocus(Qt::BacktabFocusReason);
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_Down);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(combo->lineEdit()->cursorPosition(), 0);
  }

  void aMissingDataFileIsAskedAboutAndCancelReported() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    int asked = 0;
    FormEnvironment environment = Shipped();
    environment.data_dir = folder.path().toStdString();
    environment.tables_file =
        std::filesystem::path(folder.path().toStdString()) / "MortalityTables";
    environment.ask_retry = [&asked] {
      ++asked;
      return RetryAnswer::kCancel;
    };
    ValuationForm form(environment);
    QCOMPARE(asked, 1);
    QCOMPARE(Shown(form, "FailureLine"), QStringLiteral("Data File not available"));
    QCOMPARE(Shown(form, "orvaneresults"), QStringLiteral("Not calculated"));
    QCOMPARE(Chooser(form, Control::PostRetPrimary)->count(), 0);
  }

  void aFailedRecalculationIsReportedUnderTheResultUntilOneSucceeds() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath(QStringLiteral("MortalityTables"));
    const QString shipped = QString::fromStdString((DataDir() / "MortalityTables").string());
    QVERIFY(QFile::copy(shipped, copy));
    int asked = 0;
    FormEnvironment environment = Shipped();
    environment.tables_file = copy.toStdString();
    environment.ask_retry = [&asked] {
      ++asked;
      return RetryAnswer::kCancel;
    };
    auto form = Open(environment);
    QVERIFY(form);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const QString value = Shown(*form, "orvaneresults");
    QVERIFY(Amount(value) > 0);

    QVERIFY(QFile::remove(copy));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(asked, 1);
    QCOMPARE(Shown(*form, "FailureLine"), QStringLiteral("Data File not available"));
    QCOMPARE(Shown(*form, "orvaneresults"), value);
    QVERIFY(QApplication::activeModalWidget() == nullptr);  // nothing blocks the user

    QVERIFY(QFile::copy(shipped, copy));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(Shown(*form, "FailureLine"), QString());
    QCOMPARE(Shown(*form, "orvaneresults"), value);
  }

  // Asked for by hovering, computed then and there: no recalculation, the model's own text.
  void theResultsToolTipShowsTheSensitivitiesOfTheValue() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const int count = Count(*form);
    auto* label = form->findChild<QLabel*>(QStringLiteral("orvaneresults"));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(label, &help);
    QVERIFY(QToolTip::text().startsWith(QStringLiteral("Duration ")));
    QCOMPARE(QToolTip::text(), QString::fromStdString(form->model().ResultToolTip()));
    QCOMPARE(Count(*form), count);
    QToolTip::hideText();
  }

  // The longest reasons: a table the data file lacks, and a yield curve workbook missing from a
  // deep folder, whose path the reason names (longer than any reason without a path). Each is
  // shown whole, at a readable size, inside the window, with its control marked until a
  // recalculation succeeds.
  void theWholeReasonIsReadableAndItsControlMarked() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QString deep = temp.path();
    for (int level = 0; level < 14; ++level)
      deep += QStringLiteral("/a folder with a rather long name for level %1").arg(level);
    QVERIFY(QDir().mkpath(deep));
    FormEnvironment environment = Shipped();
    environment.data_dir = deep.toStdString();
    auto form = Open(environment);
    QVERIFY(form);
    const QSize normal = form->size();
    auto* band = form->findChild<QLabel*>(QStringLiteral("FailureLine"));
    auto marked = [&] {
      std::vector<Control> at_fault;
      for (int i = 0; i < orvane::app::kControlCount; ++i) {
        if (form->WidgetOf(static_cast<Control>(i))->property(orvane::app::kAtFault).toBool())
          at_fault.push_back(static_cast<Control>(i));
      }
      return at_fault;
    };
    auto readable = [&] {
      QString shown = band->text();
      shown.remove(QChar(0x200B));
      return shown.toStdString() == form->model().Failure() && band->isVisible() &&
             band->font().pointSizeF() >= 8.0 &&
             band->heightForWidth(band->width()) <= band->height() &&
             form->rect().contains(band->geometry());
    };

    const struct {
      Control control;
      QString entry;
      QString mends;
    } cases[] = {
        {Control::PostRetContingent, QStringLiteral("Nonexist"), QStringLiteral("2008417e")},
        {Control::FullYieldCurve, QStringLiteral("1"), QStringLiteral("0")},
    };
    for (const auto& c : cases) {
      orvane::app::EnterControlText(form->model(), c.control, c.entry.toStdString());
      QVERIFY(!form->model().Failure().empty());
      QVERIFY2(readable(), form->model().Failure().c_str());
      // The reason naming the deep folder needs more than the band: the window grows.
      QCOMPARE(form->height() > normal.height(), c.control == Control::FullYieldCurve);
      QCOMPARE(marked(), std::vector<Control>{c.control});
      // Still marked after an unrelated change that fails again.
      orvane::app::EnterControlText(form->model(), Control::Benefit, "2000");
      QCOMPARE(marked(), std::vector<Control>{c.control});
      orvane::app::EnterControlText(form->model(), c.control, c.mends.toStdString());
      QCOMPARE(form->model().Failure(), std::string());
      QCOMPARE(marked(), std::vector<Control>{});
      QCOMPARE(band->text(), QString());
      QCOMPARE(form->size(), normal);
    }
    QVERIFY(form->model().Failure().empty());
  }

  void theDataFileQuestionIsAnOkCancelBoxThatSaysWhereItLooked() {
    QWidget parent;
    QString title, text, detail;
    const QString where = orvane::app::DataFileWhereabouts("MortalityTables", "/opt/orvane/share");
    AnswerNextBox(&parent, QMessageBox::Cancel, &title, &text, &detail);
    QCOMPARE(orvane::app::AskDataFileRetry(&parent, where), RetryAnswer::kCancel);
    QCOMPARE(title, QStringLiteral("Orvane"));
    QCOMPARE(text, QStringLiteral("Data File not available, retry"));
    const QString current = QDir::currentPath();
    QCOMPARE(detail, QStringLiteral("File: %1/MortalityTables\nLooked for in: %1 (the current "
                                    "folder), then /opt/orvane/share (the installed data folder)")
                         .arg(current));
    AnswerNextBox(&parent, QMessageBox::Ok, &title, &text);
    QCOMPARE(orvane::app::AskDataFileRetry(&parent), RetryAnswer::kRetry);
  }

  void exportsWriteNewWorkbooksInTheTemporaryFolderAndOpenThem() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const TemporaryFolder folder(temp.path());
    const QString tables = temp.filePath(QStringLiteral("MortalityTables"));
    QVERIFY(QFile::copy(QString::fromStdString((DataDir() / "MortalityTables").string()), tables));
    FormEnvironment environment = Shipped();
    environment.tables_file = tables.toStdString();
    QStringList opened;
    bool opens = true;
    auto form = Open(environment, [&](const QString& path) {
      opened << path;
      return opens;
    });
    QVERIFY(form);

    // Pressing a button leaves the field first: its entry is validated before the export.
    QLineEdit* benefit = Edit(*form, Control::Benefit);
    benefit->setFocus(Qt::TabFocusReason);
    benefit->selectAll();
    QTest::keyClicks(benefit, QStringLiteral("2000"));
    const int before = Count(*form);
    QAbstractButton* mortality = Button(*form, Control::ExportMortality);
    QTest::mouseClick(mortality, Qt::LeftButton);
    QCOMPARE(Count(*form), before + 1);
    QVERIFY(benefit->text().contains(QStringLiteral("2,000.00")));
    QTest::mouseClick(mortality, Qt::LeftButton);
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened[0] != opened[1]);  // the second export does not overwrite the first
    for (const QString& path : opened) {
      QVERIFY(path.startsWith(temp.path() + QStringLiteral("/Orvane Mortality Tables ")));
      QVERIFY(path.endsWith(QStringLiteral(".xlsx")));
      QFile workbook(path);
      QVERIFY(workbook.open(QIODevice::ReadOnly));
      QCOMPARE(workbook.read(2), QByteArray("PK"));  // a zip container, written in full
    }

    // When nothing can open the workbook, a note says where it is.
    opens = false;
    QTest::mouseClick(Button(*form, Control::ExportDetail), Qt::LeftButton);
    QCOMPARE(opened.size(), 3);
    QVERIFY(opened[2].startsWith(temp.path() + QStringLiteral("/Orvane Calculation Detail ")));
    QVERIFY(QFileInfo(opened[2]).size() > 0);
    QVERIFY(Amount(Shown(*form, "orvaneresults")) > 0);  // the detail export recalculates
    QVERIFY(Noted(*form, QDir::toNativeSeparators(opened[2])));
    auto* note = form->findChild<QMessageBox*>(QStringLiteral("ExportNote"));
    QVERIFY(!note->isModal());

    // A failed export leaves no empty workbook behind and tells its reason.
    QVERIFY(QFile::remove(tables));
    QTest::mouseClick(mortality, Qt::LeftButton);
    QCOMPARE(opened.size(), 3);
    QVERIFY(Noted(*form, QStringLiteral("The workbook was not written: Data File not available")));
    const QStringList written =
        QDir(temp.path()).entryList({QStringLiteral("Orvane*.xlsx")}, QDir::Files);
    QCOMPARE(written.size(), 3);
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
