// The two workbook exports of the form.
#include "form/detail/form_state.h"
#include "form/form_error.h"
#include "form/form_model.h"
#include "sheets/exports.h"
#include "valuation/sensitivities.h"

namespace orvane::form {

void FormModel::ExportDetail(const std::filesystem::path& file) {
  State& s = *state_;
  if (!s.detail)
    s.detail = std::make_unique<valuation::DetailTable>();
  sheets::WriteDetailHeadings(
      *s.detail,
      sheets::DetailInputs{Text(Control::ValuationDate), Text(Control::DateOfBirth),
                           Text(Control::SpousesDateOfBirth), Text(Control::PeriodCertain),
                           Text(Control::PercentToSurvivor)});
  // An earlier, longer valuation must not leave its months behind in the sheet and its total.
  s.detail->ClearMonths();

  struct KeepDetailWhileRecalculating {
    explicit KeepDetailWhileRecalculating(bool& keep) : flag(keep) { flag = true; }
    ~KeepDetailWhileRecalculating() { flag = false; }
    bool& flag;
  };
  bool succeeded = false;
  {
    KeepDetailWhileRecalculating keep(s.keep_detail);
    succeeded = RunCalculate();
  }
  if (!succeeded)
    throw FormError("The calculation detail was not exported: " + s.failure);
  sheets::DetailSummary summary = Summary();
  // The same entries valued once more, the detail kept as it is, for the Summary's figures.
  summary.sensitivities = Valuate(true);
  sheets::WriteDetailWorkbook(file, *s.detail, summary);
}

sheets::DetailSummary FormModel::Summary() const {
  sheets::DetailSummary summary;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    std::string caption(CaptionOf(control));
    switch (KindOf(control)) {
      case ControlKind::kTextField:
      case ControlKind::kTableChooser:
        summary.inputs.emplace_back(std::move(caption), Text(control));
        break;
      case ControlKind::kCheckBox:
      case ControlKind::kOptionButton:
        summary.inputs.emplace_back(std::move(caption), Checked(control) ? "Yes" : "No");
        break;
      case ControlKind::kButton:
        break;
    }
  }
  summary.value = state_->value;
  return summary;
}

void FormModel::ExportMortality(const std::filesystem::path& file) {
  sheets::WriteMortalityWorkbook(file, LoadMortality());
}

}  // namespace orvane::form
