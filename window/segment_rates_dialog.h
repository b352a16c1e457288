// The small dialog of "417(e) segment rates of...", the context menu entry of the three interest
// fields: the months of the data folder's "417e Segment Rates.csv", newest first, with the plan
// year where a month has several; the choice is entered by the window through the form model
// (form/segment_rate_entry.h).
#pragma once

#include <optional>

#include <QDialog>

#include "segment_rates/segment_rates.h"

class QTreeWidget;

namespace orvane::window {

using segment_rates::SegmentRateFile;
using segment_rates::SegmentRates;

class SegmentRatesDialog : public QDialog {
  Q_OBJECT

 public:
  // Lists every line of `file`; the newest month is selected. Does not throw.
  explicit SegmentRatesDialog(const SegmentRateFile& file, QWidget* parent = nullptr);

  // The line selected, or nothing.
  std::optional<SegmentRates> Chosen() const;

 private:
  const SegmentRateFile& file_;
  QTreeWidget* list_ = nullptr;
};

}  // namespace orvane::window
