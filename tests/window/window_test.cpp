// The window driven like a user would, offscreen, on the shipped data file: what the window adds
// to the form model (when Validate, MouseMove and GotFocus reach it, that the widgets show it),
// the failure line, the data-file question, the segment rates dialog and the exports' files.
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QtTest>

#include "form/control_entry.h"
#include "form/controls.h"
#include "form/form_model.h"
#include "window/valuation_form.h"

using orvane::form::Control;
using orvane::form::ControlKind;
using orvane::form::EnterControlText;
using orvane::form::FormEnvironment;
using orvane::form::KindOf;
using orvane::tables::RetryAnswer;
using orvane::window::ValuationForm;

namespace {

std::filesystem::path DataDir() {
  const char* root = std::getenv("ORVANE_SOURCE_DIR");
  return std::filesystem::path(root ? root : ".") / "data";
}

FormEnvironment Shipped(const std::filesystem::path& tables = DataDir() / "MortalityTables") {
  FormEnvironment environment;
  environment.data_dir = DataDir();
  environment.tables_file = tables;
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
void Tab(Qt::Key key = Qt::Key_Tab) {
  QTest::keyClick(QApplication::focusWidget(), key);
}

// A click on a check box or option button, on its indicator.
void ClickBox(QAbstractButton* box) {
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void Type(QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClicks(field, text);
}

// Every widget shows the model's text or state, and the two display areas its captions.
bool ShowsTheModel(ValuationForm& form) {
  auto& model = form.model();
  for (int i = 0; i < orvane::form::kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const ControlKind kind = KindOf(control);
    if ((kind == ControlKind::kTextField &&
         Edit(form, control)->text().toStdString() != model.Text(control)) ||
        (kind == ControlKind::kTableChooser &&
         Chooser(form, control)->currentText().toStdString() != model.Text(control)) ||
        ((kind == ControlKind::kCheckBox || kind == ControlKind::kOptionButton) &&
         Button(form, control)->isChecked() != model.Checked(control)))
      return false;
  }
  return Shown(form, "Label6").toStdString() == model.Message() &&
         Shown(form, "orvaneresults").toStdString() == model.Result();
}

// Runs `act` on the widget `find` returns once it is shown (a popup, a modal dialog or a message
// box that a blocking exec is about to show).
void WhenShown(QObject* context, std::function<QWidget*()> find,
               std::function<void(QWidget*)> act) {
  QTimer::singleShot(20, context, [=] {
    QWidget* widget = find();
    if (widget == nullptr || !widget->isVisible())
      return WhenShown(context, find, act);
    act(widget);
  });
}

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
  // The window opens on the model with no value. Tab and clicks leave a control and
  // validate it; typing, clicking a label and another window taking the activation do not. The
  // mouse and the focus show help texts.
  void leavingAControlValidatesIt() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Orvane"));
    QCOMPARE(Shown(*form, "orvaneresults"), QStringLiteral("Not calculated"));
    QCOMPARE(Chooser(*form, Control::PostRetPrimary)->count(),
             static_cast<int>(form->model().TableList().size()));
    QCOMPARE(Focused(*form), std::optional<Control>(Control::CurrentAge));
    QVERIFY(ShowsTheModel(*form));
    QLineEdit* benefit = Edit(*form, Control::Benefit);
    QTest::mouseClick(benefit, Qt::LeftButton);
    QCOMPARE(Count(*form), 1);
    QCOMPARE(Shown(*form, "orvaneresults"), QStringLiteral("145,922.71"));

    Type(benefit, QStringLiteral("2000"));
    QCOMPARE(form->model().Text(Control::Benefit), std::string("2000"));
    QCOMPARE(Count(*form), 1);
    Tab();
    QCOMPARE(Focused(*form), std::optional<Control>(Control::Maximum));
    QCOMPARE(Count(*form), 2);
    QCOMPARE(benefit->text(), QStringLiteral("2,000.00"));
    QCOMPARE(Shown(*form, "orvaneresults"), QStringLiteral("291,845.43"));

    QTest::mouseClick(benefit, Qt::LeftButton);
    Type(benefit, QStringLiteral("1000"));
    QTest::mouseClick(form->findChild<QWidget*>(QStringLiteral("Label16")), Qt::LeftButton);
    QCOMPARE(Count(*form), 3);
    QTest::mouseClick(Edit(*form, Control::Load), Qt::LeftButton);
    QCOMPARE(Count(*form), 4);
    QCOMPARE(Shown(*form, "orvaneresults"), QStringLiteral("145,922.71"));

    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QCOMPARE(Count(*form), 4);
    QCOMPARE(Focused(*form), std::optional<Control>(Control::Load));

    QTest::mouseMove(benefit);
    QCOMPARE(Shown(*form, "Label6"), QStringLiteral("This is the monthly benefit being valued."));
    Chooser(*form, Control::PreRetPrimary)->setFocus(Qt::TabFocusReason);
    QVERIFY(Shown(*form, "Label6").startsWith(QStringLiteral("Mortality table applied")));
    QVERIFY(ShowsTheModel(*form));

    // The results tooltip is computed when hovered: the model's text, no recalculation.
    auto* label = form->findChild<QLabel*>(QStringLiteral("orvaneresults"));
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(label, &help);
    QCOMPARE(QToolTip::text(), QString::fromStdString(form->model().ResultToolTip()));
    QCOMPARE(Count(*form), 5);
    QToolTip::hideText();
  }

  // An option click recalculates once per button it changes; the yield curve box and a chooser's
  // pick wait for the focus to leave.
  void optionsBoxesAndChoosers() {
    auto form = Open(Shipped());
    QVERIFY(form);
    QAbstractButton* female = Button(*form, Control::Female);
    female->setFocus(Qt::TabFocusReason);
    const int before = Count(*form);
    ClickBox(female);
    QCOMPARE(Count(*form), before + 2);
    QVERIFY(!Button(*form, Control::Male)->isChecked());
    ClickBox(female);  // Qt would toggle it off; the group keeps it
    QCOMPARE(Count(*form), before + 2);
    QVERIFY(female->isChecked());

    QAbstractButton* box = Button(*form, Control::YieldCurve);
    box->setFocus(Qt::TabFocusReason);
    const QString shown = Shown(*form, "orvaneresults");
    ClickBox(box);
    QVERIFY(!form->model().Checked(Control::YieldCurve));
    QCOMPARE(Count(*form), before + 3);  // leaving Female
    QCOMPARE(Shown(*form, "orvaneresults"), shown);
    Tab();
    QCOMPARE(Count(*form), before + 4);
    QVERIFY(Shown(*form, "orvaneresults") != shown);

    QComboBox* combo = Chooser(*form, Control::PostRetPrimary);
    combo->setFocus(Qt::TabFocusReason);
    const int picked = Count(*form);
    combo->showPopup();
    QTRY_VERIFY(combo->view()->isVisible());
    QTest::keyClick(combo->view(), Qt::Key_End);
    QTest::keyClick(combo->view(), Qt::Key_Return);
    QTRY_VERIFY(!combo->view()->isVisible());
    QCOMPARE(form->model().Text(Control::PostRetPrimary),
             combo->itemText(combo->count() - 1).toStdString());
    QCOMPARE(Count(*form), picked);
    Tab();
    QCOMPARE(Count(*form), picked + 1);

    QVERIFY(ShowsTheModel(*form));
  }

  // "417(e) segment rates of..." in an interest field's menu: the month chosen fills Interest
  // Rate 1-3 as typing and leaving them does. With ORVANE_DIALOG_PICTURE set, the dialog is saved
  // there as a PNG.
  void segmentRatesOfAMonthFillTheInterestFields() {
    auto form = Open(Shipped());
    QVERIFY(form);
    const QSize size = form->size();
    const int before = Count(*form);
    QStringList plan_years_of_2011_10;
    WhenShown(
        form.get(), [] { return QApplication::activePopupWidget(); },
        [&](QWidget* popup) {
          auto* menu = static_cast<QMenu*>(popup);
          auto* action = menu->findChild<QAction*>(QStringLiteral("SegmentRatesAction"));
          QVERIFY(action != nullptr);
          WhenShown(
              form.get(), [] { return QApplication::activeModalWidget(); },
              [&](QWidget* dialog) {
                dialog->findChild<QRadioButton*>(QStringLiteral("ByMonth"))->setChecked(true);
                auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("SegmentRatesList"));
                for (int i = 0; i < list->topLevelItemCount(); ++i) {
                  QTreeWidgetItem* item = list->topLevelItem(i);
                  if (item->text(0) == QStringLiteral("2011-10"))
                    plan_years_of_2011_10 << item->text(1);
                  if (item->text(0) == QStringLiteral("2025-11")) {
                    list->setCurrentItem(item);
                    list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
                  }
                }
                const QByteArray picture = qgetenv("ORVANE_DIALOG_PICTURE");
                if (!picture.isEmpty())
                  QVERIFY(dialog->grab().save(QString::fromLocal8Bit(picture), "PNG"));
                static_cast<QDialog*>(dialog)->accept();
              });
          menu->setActiveAction(action);
          QTest::keyClick(menu, Qt::Key_Return);
        });
    Q_EMIT Edit(*form, Control::InterestRate2)->customContextMenuRequested(QPoint(4, 4));

    QCOMPARE(plan_years_of_2011_10, QStringList({"2010", "2011", "2012"}));
    QCOMPARE(Edit(*form, Control::InterestRate1)->text(), QStringLiteral("4.070"));
    QCOMPARE(Edit(*form, Control::InterestRate2)->text(), QStringLiteral("5.150"));
    QCOMPARE(Edit(*form, Control::InterestRate3)->text(), QStringLiteral("6.010"));
    QCOMPARE(Count(*form), before + 3);
    QCOMPARE(Shown(*form, "orvaneresults"),
             QStringLiteral("141,036.81"));  // as orvane-value --rates-of 2025-11
    QCOMPARE(form->size(), size);
  }

  // The same dialog by the plan's terms: the basis it shows for the Valuation Date is what OK
  // enters, and the terms are there again the next time. With ORVANE_TERMS_PICTURE set, the
  // dialog is saved there as a PNG.
  void theLumpSumBasisByThePlansTermsFillsItsFields() {
    auto form = Open(Shipped());
    QVERIFY(form);
    EnterControlText(form->model(), Control::ValuationDate, "8/15/2025");
    QString preview, opened_with;
    const auto choose = [&](int stability, int lookback) {
      WhenShown(
          form.get(), [] { return QApplication::activePopupWidget(); },
          [&](QWidget* menu) {
            WhenShown(
                form.get(), [] { return QApplication::activeModalWidget(); },
                [&](QWidget* dialog) {
                  dialog->findChild<QRadioButton*>(QStringLiteral("ByTerms"))->setChecked(true);
                  auto* kind = dialog->findChild<QComboBox*>(QStringLiteral("Stability"));
                  auto* months = dialog->findChild<QSpinBox*>(QStringLiteral("Lookback"));
                  opened_with = QString::number(kind->currentIndex()) + "," +
                                QString::number(months->value());
                  kind->setCurrentIndex(stability);
                  months->setValue(lookback);
                  preview = dialog->findChild<QLabel*>(QStringLiteral("BasisPreview"))->text();
                  const QByteArray picture = qgetenv("ORVANE_TERMS_PICTURE");
                  if (!picture.isEmpty())
                    QVERIFY(dialog->grab().save(QString::fromLocal8Bit(picture), "PNG"));
                  static_cast<QDialog*>(dialog)->accept();
                });
            static_cast<QMenu*>(menu)->setActiveAction(
                menu->findChild<QAction*>(QStringLiteral("SegmentRatesAction")));
            QTest::keyClick(menu, Qt::Key_Return);
          });
      Q_EMIT Edit(*form, Control::InterestRate1)->customContextMenuRequested(QPoint(4, 4));
    };
    choose(3, 2);  // calendar year, the 2nd month before: 2024-11's rates, the 2025 table
    QVERIFY2(preview.contains(QStringLiteral("2024-11: 4.66%, 5.25%, 5.57%")), qPrintable(preview));
    QCOMPARE(Edit(*form, Control::InterestRate1)->text(), QStringLiteral("4.660"));
    QCOMPARE(Edit(*form, Control::InterestRate3)->text(), QStringLiteral("5.570"));
    QCOMPARE(form->model().Text(Control::PostRetContingent), std::string("2025417e"));
    QVERIFY(form->model().Checked(Control::YieldCurve));
    choose(0, 1);  // reopened on the terms left: calendar year, 2
    QCOMPARE(opened_with, QStringLiteral("3,2"));
    QVERIFY(ShowsTheModel(*form));
  }

  // The data file missing at start-up is asked about once; vanishing later, it is reported under
  // the result, which stays, until a recalculation succeeds. Nothing modal blocks the user.
  void aMissingDataFileIsAskedAboutAndReported() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString copy = folder.filePath(QStringLiteral("MortalityTables"));
    int asked = 0;
    FormEnvironment environment = Shipped(copy.toStdString());
    environment.ask_retry = [&asked] {
      ++asked;
      return RetryAnswer::kCancel;
    };
    {
      ValuationForm empty(environment);
      QCOMPARE(asked, 1);
      QCOMPARE(Shown(empty, "FailureLine"), QStringLiteral("Data File not available"));
      QCOMPARE(Chooser(empty, Control::PostRetPrimary)->count(), 0);
    }
    const QString shipped = QString::fromStdString((DataDir() / "MortalityTables").string());
    QVERIFY(QFile::copy(shipped, copy));
    auto form = Open(environment);
    QVERIFY(form);
    Tab();
    const QString value = Shown(*form, "orvaneresults");
    QVERIFY(QFile::remove(copy));
    Tab();
    QCOMPARE(asked, 2);
    QCOMPARE(Shown(*form, "FailureLine"), QStringLiteral("Data File not available"));
    QCOMPARE(Shown(*form, "orvaneresults"), value);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(QFile::copy(shipped, copy));
    Tab();
    QCOMPARE(Shown(*form, "FailureLine"), QString());
  }

  // The longest reason, a workbook missing from a deep folder whose path it names, is shown whole
  // and readable inside the window (which grows for it), its box marked until a recalculation
  // succeeds; then the window takes its size again.
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
    QWidget* box = form->WidgetOf(Control::FullYieldCurve);
    EnterControlText(form->model(), Control::FullYieldCurve, "1");
    EnterControlText(form->model(), Control::Benefit, "2000");
    QString shown = band->text();
    shown.remove(QChar(0x200B));
    QVERIFY(form->model().Failure().size() > 700);
    QCOMPARE(shown.toStdString(), form->model().Failure());
    QVERIFY(band->isVisible() && band->font().pointSizeF() >= 8.0);
    QVERIFY(band->heightForWidth(band->width()) <= band->height());
    QVERIFY(form->rect().contains(band->geometry()) && form->height() > normal.height());
    QVERIFY(box->property(orvane::window::kAtFault).toBool());
    QVERIFY(!Edit(*form, Control::Benefit)->property(orvane::window::kAtFault).toBool());
    EnterControlText(form->model(), Control::FullYieldCurve, "0");
    QVERIFY(!box->property(orvane::window::kAtFault).toBool());
    QCOMPARE(band->text(), QString());
    QCOMPARE(form->size(), normal);
  }

  void theDataFileQuestionSaysWhereItLooked() {
    QCOMPARE(orvane::window::DataFileWhereabouts("MortalityTables", "/opt/orvane/share"),
             QStringLiteral("File: %1/MortalityTables\nLooked for in: %1 (the current folder), "
                            "then /opt/orvane/share (the installed data folder)")
                 .arg(QDir::currentPath()));
  }

  // Each export validates the field being left, writes a new workbook in the temporary folder and
  // opens it; one that cannot be opened or written is noted, and a failed one leaves no file.
  void exportsWriteNewWorkbooksInTheTemporaryFolderAndOpenThem() {
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(temp.path()));  // the test's own: it runs alone
    const QString tables = temp.filePath(QStringLiteral("MortalityTables"));
    QVERIFY(QFile::copy(QString::fromStdString((DataDir() / "MortalityTables").string()), tables));
    QStringList opened;
    bool opens = true;
    auto form = Open(Shipped(tables.toStdString()), [&](const QString& path) {
      opened << path;
      return opens;
    });
    QVERIFY(form);
    QLineEdit* benefit = Edit(*form, Control::Benefit);
    benefit->setFocus(Qt::TabFocusReason);
    Type(benefit, QStringLiteral("2000"));
    const int before = Count(*form);
    QAbstractButton* mortality = Button(*form, Control::ExportMortality);
    QTest::mouseClick(mortality, Qt::LeftButton);
    QCOMPARE(Count(*form), before + 1);
    QTest::mouseClick(mortality, Qt::LeftButton);
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened[0] != opened[1]);
    for (const QString& path : opened)
      QVERIFY(path.startsWith(temp.path() + "/Orvane Mortality Tables ") && path.endsWith(".xlsx"));

    opens = false;
    QTest::mouseClick(Button(*form, Control::ExportDetail), Qt::LeftButton);
    QCOMPARE(opened.size(), 3);
    QVERIFY(opened[2].startsWith(temp.path() + QStringLiteral("/Orvane Calculation Detail ")));
    QVERIFY(Noted(*form, QDir::toNativeSeparators(opened[2])));

    QVERIFY(QFile::remove(tables));
    QTest::mouseClick(mortality, Qt::LeftButton);
    QCOMPARE(opened.size(), 3);
    QVERIFY(Noted(*form, QStringLiteral("The workbook was not written: Data File not available")));
    QCOMPARE(QDir(temp.path()).entryList({QStringLiteral("Orvane*.xlsx")}, QDir::Files).size(), 3);
    qunsetenv("TMPDIR");
  }
};

QTEST_MAIN(WindowTest)
#include "window_test.moc"
