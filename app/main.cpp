// The orvane program: the valuation form's window on the data files of the current directory.
#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "app/form_model.h"
#include "app/valuation_form.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvane"));

  // Not a user option: `--screenshot FILE` saves a picture of the started window and exits, for
  // checking the layout on a machine without a desktop.
  const QStringList arguments = QApplication::arguments();
  const qsizetype flag = arguments.indexOf(QStringLiteral("--screenshot"));
  const QString screenshot =
      flag > 0 && flag + 1 < arguments.size() ? arguments[flag + 1] : QString();

  orvane::app::FormEnvironment environment;  // MortalityTables in the current directory
  environment.ask_retry = [] {
    if (orvane::app::AskDataFileRetry(QApplication::activeWindow()) ==
        orvane::tables::RetryAnswer::kCancel)
      std::_Exit(1);  // Cancel ends the program at once, without further events or clean-up
    return orvane::tables::RetryAnswer::kRetry;
  };

  orvane::app::ValuationForm form(std::move(environment));
  form.show();
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(500, &form, [&form, &screenshot] {
      QApplication::exit(form.grab().save(screenshot, "PNG") ? 0 : 1);
    });
  }
  return QApplication::exec();
}
