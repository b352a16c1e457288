#include "window/data_file_question.h"

#include <system_error>

#include <QMessageBox>

namespace orvane::window {

tables::RetryAnswer AskDataFileRetry(QWidget* parent, const QString& detail) {
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Orvane"),
                  QStringLiteral("Data File not available, retry"),
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setObjectName(QStringLiteral("DataFileQuestion"));
  box.setInformativeText(detail);
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Cancel);
  return box.exec() == QMessageBox::Ok ? tables::RetryAnswer::kRetry : tables::RetryAnswer::kCancel;
}

QString DataFileWhereabouts(const std::filesystem::path& file,
                            const std::filesystem::path& installed) {
  std::error_code ignored;
  const auto shown = [&ignored](const std::filesystem::path& path) {
    return QString::fromStdString(std::filesystem::absolute(path, ignored).lexically_normal());
  };
  QString text = QStringLiteral("File: %1\nLooked for in: %2 (the current folder)")
                     .arg(shown(file), shown(std::filesystem::current_path(ignored)));
  if (!installed.empty())
    text += QStringLiteral(", then %1 (the installed data folder)").arg(shown(installed));
  return text;
}

}  // namespace orvane::window
