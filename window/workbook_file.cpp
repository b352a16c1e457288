#include "window/workbook_file.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace orvane::window {

QString ReserveWorkbookFile(const QString& folder, const QString& stem) {
  if (folder.isEmpty())
    return {};  // no temporary folder; never fall back to the current directory
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  const QDir dir(folder);
  for (int n = 1; n <= 1000; ++n) {
    const QString path = dir.filePath(QStringLiteral("%1 %2-%3.xlsx").arg(stem, stamp).arg(n));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
      return path;
    if (!file.exists())
      return {};
  }
  return {};
}

}  // namespace orvane::window
