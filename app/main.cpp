// The orvane program: the valuation form's window on the data files of the current directory, or
// of the installed data folder when the current directory holds no MortalityTables.
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "app/data_folder.h"
#include "app/form_model.h"
#include "app/icon.h"
#include "app/valuation_form.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvane"));
  QApplication::setDesktopFileName(QStringLiteral("orvane"));  // the installed orvane.desktop

  // Not a user option: `--screenshot FILE` saves a picture of the started window and exits, for
  // checking the layout on a machine without a desktop.
  const QStringList arguments = QApplication::arguments();
  const qsizetype flag = arguments.indexOf(QStringLiteral("--screenshot"));
  const QString screenshot =
      flag > 0 && flag + 1 < arguments.size() ? arguments[flag + 1] : QString();
  // Not a user option either: `--write-icon FILE` saves the window's icon as a PNG and exits; the
  // build makes the installed desktop icon with it, so the two pictures cannot drift apart.
  const qsizetype icon_flag = arguments.indexOf(QStringLiteral("--write-icon"));
  if (icon_flag > 0) {
    const bool saved = icon_flag + 1 < arguments.size() &&
                       orvane::app::DrawOrvaneIcon().save(arguments[icon_flag + 1], "PNG");
    return saved ? 0 : 1;
  }

  orvane::app::FormEnvironment environment;
  environment.data_dir =
      orvane::app::DataFolder(".", orvane::app::InstalledDataFolder(ORVANE_DATA_DIR_FROM_BIN));
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
