// The small dialog of "417(e) segment rates of...", the context menu entry of the three interest
// fields. Either a month's rates: the months of the data folder's "417e Segment Rates.csv",
// newest first, with the plan year where a month has several; or the 417(e) basis by the plan's
// terms (stability period, lookback month, the plan year's first month), shown for the form's
// Valuation Date before it is applied. The window enters the choice through the form model
// (form/segment_rate_entry.h).
#pragma once

#include <functional>
#include <optional>

#include <QDialog>
#include <QString>

#include "segment_rates/lump_sum_basis.h"
#include "segment_rates/segment_rates.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace orvane::window {

using segment_rates::PlanTerms;
using segment_rates::SegmentRateFile;
using segment_rates::SegmentRates;

class SegmentRatesDialog : public QDialog {
  Q_OBJECT

 public:
  // What the terms give for the form's Valuation Date, or why they give nothing.
  using BasisPreview = std::function<QString(const PlanTerms& terms, bool& found)>;

  // Lists every line of `file`, the newest month selected; the terms start as `terms`, and the
  // dialog opens on them when `by_terms`. Does not throw.
  SegmentRatesDialog(const SegmentRateFile& file, BasisPreview preview, const PlanTerms& terms,
                     bool by_terms, QWidget* parent = nullptr);

  // The line selected when a month's rates are chosen, or nothing.
  std::optional<SegmentRates> Chosen() const;
  // The terms when the basis by the plan's terms is chosen, or nothing.
  std::optional<PlanTerms> ChosenTerms() const;
  // The terms as they stand, chosen or not.
  PlanTerms Terms() const;

 private:
  void BuildTerms(const PlanTerms& terms);
  void ShowPreview();

  const SegmentRateFile& file_;
  BasisPreview preview_;
  QRadioButton* by_month_ = nullptr;
  QRadioButton* by_terms_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QComboBox* stability_ = nullptr;
  QSpinBox* lookback_ = nullptr;
  QComboBox* plan_year_begins_ = nullptr;
  QLabel* preview_label_ = nullptr;
  QWidget* ok_ = nullptr;
};

}  // namespace orvane::window
