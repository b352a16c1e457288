// The orvane program: the valuation form's window on the data files of the current directory, or
// of the installed data folder when the current directory holds no MortalityTables.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include <QApplication>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

#include "form/control_entry.h"
#include "form/controls.h"
#include "tables/data_folder.h"
#include "form/form_error.h"
#include "form/form_model.h"
#include "window/data_file_question.h"
#include "window/icon.h"
#include "window/valuation_form.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Orvane"));
  QApplication::setDesktopFileName(QStringLiteral("orvane"));  // the installed orvane.desktop

  // Not a user option: `--screenshot FILE [Control=Text ...]` makes the entries as a user would,
  // saves a picture of the window and exits, for checking the layout on a machine without a
  // desktop.
  const QStringList arguments = QApplication::arguments();
  const qsizetype flag = arguments.indexOf(QStringLiteral("--screenshot"));
  const QString screenshot =
      flag > 0 && flag + 1 < arguments.size() ? arguments[flag + 1] : QString();
  // Not a user option either: `--write-icon FILE [SIZE]` saves the window's icon as a PNG of SIZE
  // pixels (default 32) and exits; the build makes the installed desktop icons with it, so the
  // pictures cannot drift apart. The 32-pixel drawing is scaled without smoothing above 32.
  const qsizetype icon_flag = arguments.indexOf(QStringLiteral("--write-icon"));
  if (icon_flag > 0) {
    const int size = icon_flag + 2 < arguments.size() ? arguments[icon_flag + 2].toInt() : 32;
    const QPixmap icon = orvane::window::DrawOrvaneIcon().scaled(
        size, size, Qt::KeepAspectRatio,
        size >= 32 ? Qt::FastTransformation : Qt::SmoothTransformation);
    const bool saved = icon_flag + 1 < arguments.size() && size > 0 &&
                       icon.save(arguments[icon_flag + 1], "PNG");
    return saved ? 0 : 1;
  }

  orvane::form::FormEnvironment environment;
  const std::filesystem::path installed =
      orvane::tables::InstalledDataFolder(ORVANE_DATA_DIR_FROM_BIN);
  // Absolute, so that a reason naming a file of the data folder says where it is.
  std::error_code ignored;
  environment.data_dir =
      std::filesystem::absolute(orvane::tables::DataFolder(".", installed), ignored)
          .lexically_normal();
  const QString detail = orvane::window::DataFileWhereabouts(
      environment.data_dir / environment.tables_file, installed);
  environment.ask_retry = [detail] {
    if (orvane::window::AskDataFileRetry(QApplication::activeWindow(), detail) ==
        orvane::tables::RetryAnswer::kCancel)
      std::_Exit(1);  // Cancel ends the program at once, without further events or clean-up
    return orvane::tables::RetryAnswer::kRetry;
  };

  orvane::window::ValuationForm form(std::move(environment));
  form.show();
  if (!screenshot.isEmpty()) {
    for (qsizetype i = flag + 2; i < arguments.size(); ++i) {
      orvane::form::Assignment entry;
      try {
        entry = orvane::form::ParseAssignment(arguments[i].toLatin1().toStdString());
      } catch (const orvane::form::FormError&) {
        return 2;
      }
      orvane::form::EnterControlText(form.model(), entry.control, entry.text);
    }
    QTimer::singleShot(500, &form, [&form, &screenshot] {
      QApplication::exit(form.grab().save(screenshot, "PNG") ? 0 : 1);
    });
  }
  return QApplication::exec();
}
