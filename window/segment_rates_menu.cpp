// The window's "417(e) segment rates of..." entry in the context menu of the three interest
// fields, kept apart from the layout and event funnel of valuation_form.cpp.
#include <optional>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QString>

#include "form/segment_rate_entry.h"
#include "segment_rates/segment_rates.h"
#include "window/segment_rates_dialog.h"
#include "window/valuation_form.h"

namespace orvane::window {

using form::EnterSegmentRates;
using form::SegmentRatesPath;
using segment_rates::SegmentRatesFileError;

void ValuationForm::OnInterestMenu(QLineEdit* edit, const QPoint& at) {
  QMenu* menu = edit->createStandardContextMenu();
  menu->setObjectName(QStringLiteral("InterestMenu"));
  menu->addSeparator();
  QAction* rates = menu->addAction(QStringLiteral("417(e) segment rates of\u2026"));
  rates->setObjectName(QStringLiteral("SegmentRatesAction"));
  const QAction* chosen = menu->exec(edit->mapToGlobal(at));
  delete menu;
  if (chosen == rates)
    ChooseSegmentRates();
}

void ValuationForm::ChooseSegmentRates() {
  std::optional<SegmentRateFile> file;
  try {
    file = SegmentRateFile::Read(SegmentRatesPath(model_.Environment()));
  } catch (const SegmentRatesFileError& error) {
    ShowNote(QString::fromUtf8(error.what()));
    return;
  }
  SegmentRatesDialog dialog(*file, this);
  if (dialog.exec() != QDialog::Accepted)
    return;
  const std::optional<SegmentRates> chosen = dialog.Chosen();
  if (chosen)
    Forward([this, &chosen] { EnterSegmentRates(model_, *chosen); });
}

}  // namespace orvane::window
