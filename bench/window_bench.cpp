// How long the window takes, on the offscreen platform with the shipped data file, to open (the
// form's start-up with the choosers' list of some 140 tables, then the first paint; half a
// second is the budget) and from a Tab key press in a field to the updated results label (the
// field's validation, the four table loads, the valuation and the label, as a user feels it;
// one frame, 16 ms, is the budget).
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "form/control_entry.h"
#include "form/controls.h"
#include "form/form_model.h"
#include "window/valuation_form.h"

namespace {

using orvane::form::Assignment;
using orvane::form::Control;
using orvane::form::EnterControlText;
using orvane::form::FormEnvironment;
using orvane::form::ParseAssignment;
using orvane::window::ValuationForm;

std::filesystem::path DataDir() {
  const char* root = std::getenv("ORVANE_SOURCE_DIR");
  return std::filesystem::path(root ? root : ORVANE_DEFAULT_SOURCE_DIR) / "data";
}

}  // namespace

class WindowBench : public QObject {
  Q_OBJECT

  static FormEnvironment Environment() {
    FormEnvironment environment;
    environment.data_dir = DataDir();
    environment.tables_file = DataDir() / "MortalityTables";
    environment.ask_retry = [] { return orvane::tables::RetryAnswer::kCancel; };
    return environment;
  }

 private Q_SLOTS:
  void OpenWindow() {
    const FormEnvironment environment = Environment();
    QBENCHMARK {
      ValuationForm form(environment, [](const QString&) { return true; });
      form.show();
      QCoreApplication::processEvents();
    }
  }

  // Default tables, and four generational tables (two cohorts, two scales), whose scales the
  // store keeps after the first recalculation.
  void TabToResultLabel_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("default") << QStringList();
    QTest::newRow("four generational tables")
        << QStringList{"PreRetPrimary=PriEM-G", "PreRetContingent=PriEF-G",
                       "PostRetPrimary=PriRM-G", "PostRetContingent=PriCF-G"};
  }

  void TabToResultLabel() {
    QFETCH(QStringList, entries);
    const FormEnvironment environment = Environment();
    ValuationForm form(environment, [](const QString&) { return true; });
    for (const QString& text : entries) {
      const Assignment entry = ParseAssignment(text.toStdString());
      EnterControlText(form.model(), entry.control, entry.text);
    }
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));

    auto* current_age = qobject_cast<QLineEdit*>(form.WidgetOf(Control::CurrentAge));
    auto* spouses_age = qobject_cast<QLineEdit*>(form.WidgetOf(Control::SpousesAge));
    auto* result = form.findChild<QLabel*>(QStringLiteral("orvaneresults"));
    QVERIFY(current_age && spouses_age && result);
    current_age->setFocus();
    QTRY_VERIFY(current_age->hasFocus());

    // Each round leaves two fields: Tab out of CurrentAge, Shift+Tab out of SpousesAge; the
    // figure is per round, so one key press to an updated label is half of it.
    int recalculations = form.model().RecalculationCount();
    QBENCHMARK {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCoreApplication::processEvents();
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
      QCoreApplication::processEvents();
    }
    QVERIFY(form.model().RecalculationCount() > recalculations);
    QCOMPARE(result->text(), QString::fromStdString(form.model().Result()));
    QVERIFY(result->text() != QStringLiteral("Not calculated"));
  }
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  WindowBench bench;
  return QTest::qExec(&bench, argc, argv);
}

#include "window_bench.moc"
