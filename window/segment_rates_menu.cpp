// The "417(e) segment rates of..." entry in the context menu of the three interest fields.
#include "window/segment_rates_menu.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QString>

#include "window/segment_rates_dialog.h"

namespace orvane::window {

bool AskedForSegmentRates(QLineEdit* edit, const QPoint& at) {
  QMenu* menu = edit->createStandardContextMenu();
  menu->setObjectName(QStringLiteral("InterestMenu"));
  menu->addSeparator();
  QAction* rates = menu->addAction(QStringLiteral("417(e) segment rates of\u2026"));
  rates->setObjectName(QStringLiteral("SegmentRatesAction"));
  const QAction* chosen = menu->exec(edit->mapToGlobal(at));
  delete menu;
  return chosen == rates;
}

std::optional<SegmentRates> ChooseSegmentRates(const std::filesystem::path& file, QWidget* parent,
                                               QString& problem) {
  std::optional<SegmentRateFile> rates;
  try {
    rates = SegmentRateFile::Read(file);
  } catch (const segment_rates::SegmentRatesFileError& error) {
    problem = QString::fromUtf8(error.what());
    return std::nullopt;
  }
  SegmentRatesDialog dialog(*rates, parent);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  return dialog.Chosen();
}

}  // namespace orvane::window
