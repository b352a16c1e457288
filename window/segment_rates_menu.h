// The "417(e) segment rates of..." entry of the three interest fields' context menu and the
// dialog it opens; the window enters what was chosen through the form model. The plan's terms
// of the 417(e) basis are remembered between runs (QSettings).
#pragma once

#include <optional>

#include <QPoint>
#include <QString>

#include "form/form_model.h"
#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"

class QLineEdit;
class QWidget;

namespace orvane::window {

// Shows the field's context menu with the entry added at `at`; whether the entry was chosen.
bool AskedForSegmentRates(QLineEdit* edit, const QPoint& at);

// What the dialog gave: a month's rates, or the plan's terms of the 417(e) basis with the file
// to find its rates in; nothing when it was cancelled, or `problem` when the file cannot be read.
struct SegmentRatesChoice {
  std::optional<segment_rates::SegmentRateFile> file;
  std::optional<segment_rates::SegmentRates> month;
  std::optional<segment_rates::PlanTerms> terms;
  QString problem;
};

// Reads the form's segment rates file and lets the user choose in the dialog, which previews the
// basis for the form's Valuation Date. Does not throw.
SegmentRatesChoice ChooseSegmentRates(const form::FormModel& model, QWidget* parent);

}  // namespace orvane::window
