#include "form/form_model.h"

#include <algorithm>
#include <utility>

#include "dates/date_age_handlers.h"
#include "form/detail/date_age_view.h"
#include "form/detail/form_state.h"
#include "form/detail/library_errors.h"
#include "form/detail/valuation_of_form.h"
#include "form/form_error.h"
#include "form/numeric_fields.h"
#include "numbers/number_text.h"
#include "sheets/exports.h"
#include "text/text.h"
#include "valuation/sensitivities.h"
#include "valuation/valuation_engine.h"

namespace orvane::form {
namespace {

bool HoldsText(Control control) {
  const ControlKind kind = KindOf(control);
  return kind == ControlKind::kTextField || kind == ControlKind::kTableChooser;
}

bool HoldsState(Control control) {
  const ControlKind kind = KindOf(control);
  return kind == ControlKind::kCheckBox || kind == ControlKind::kOptionButton;
}

// A control's entry as text: a field's or chooser's text, "1" or "0" for a box or button.
std::string EntryText(const FormModel& form, Control control) {
  if (HoldsText(control))
    return form.Text(control);
  return HoldsState(control) && form.Checked(control) ? "1" : "0";
}

// The option group of a button: the projection buttons or the sex buttons, in enum order.
std::pair<Control, Control> GroupOf(Control button) {
  if (button == Control::Female || button == Control::Male)
    return {Control::Female, Control::Male};
  return {Control::NoProjection, Control::ProjToPayment};
}

}  // namespace

FormModel::FormModel(FormEnvironment environment)
    : state_(std::make_unique<State>(std::move(environment))) {
  // The designed states, which start-up leaves as they are.
  state_->checked[static_cast<size_t>(Control::NoProjection)] = true;
  state_->checked[static_cast<size_t>(Control::Male)] = true;
}

FormModel::~FormModel() = default;

void FormModel::Load() {
  State& s = *state_;
  s.keep_detail = false;
  s.failure.clear();
  s.failure_control.reset();
  s.table_list.clear();
  const std::optional<detail::FailureReport> failed = detail::MessageOfFailure([&] {
    tables::TableCache* cache = s.environment.table_cache;
    s.table_list = cache != nullptr ? cache->TableList(s.store) : s.store.GetTableList();
  });
  if (failed)
    s.failure = "The table list could not be read: " + failed->message;

  const auto set_state = [&](Control control, bool checked) {
    s.checked[static_cast<size_t>(control)] = checked;
  };
  SetText(Control::CurrentAge, "65.000");
  SetText(Control::SpousesAge, "65.000");
  SetText(Control::RetirementAge, "65.000");
  SetText(Control::Benefit, "  1,000.00");
  SetText(Control::Maximum, " 20,000.00");
  SetText(Control::InterestRate1, " 4.600");
  SetText(Control::InterestRate2, " 4.820");
  SetText(Control::InterestRate3, " 4.910");
  SetText(Control::PostRetirementInterest, " 5.000");
  SetText(Control::PeriodCertain, " 0.000");
  SetText(Control::PercentToSurvivor, "  0.000");
  SetText(Control::COLA, " 0.000");
  SetText(Control::Load, " 0.000");
  SetText(Control::PreRetPrimary, "None");
  SetText(Control::PreRetContingent, "None");
  SetText(Control::PostRetPrimary, "2008417e");
  SetText(Control::PostRetContingent, "2008417e");
  set_state(Control::UseRoundedAge, false);
  SetText(Control::Period1, " 5");
  SetText(Control::Period2, "15");
  // None of these boxes recalculates on a change, so start-up does not recalculate.
  set_state(Control::YieldCurve, true);
  // Each of these writes fires Change: the message area ends on the help text of
  // MonthOfYieldCurve.
  SetText(Control::ValuationDate, "01/01/2008");
  SetText(Control::DateOfBirth, "01/01/1943");
  SetText(Control::SpousesDateOfBirth, "01/01/1943");
  SetText(Control::RetirementDate, "01/01/2008");
  set_state(Control::FullYieldCurve, false);
  SetText(Control::YearOfYieldCurve, "2008");
  SetText(Control::MonthOfYieldCurve, " 1");
  s.yield_curve.reset();

  s.result = "Not calculated";
  s.recalculations = 0;
  Notify();
}

const std::string& FormModel::Text(Control control) const {
  if (!HoldsText(control))
    throw FormError(text::Quoted(NameOf(control)) + " holds no text");
  return state_->texts[static_cast<size_t>(control)];
}

std::optional<double> FormModel::NumberIn(Control control) const {
  const std::string& text = Text(control);
  State::Reading& last = state_->readings[static_cast<size_t>(control)];
  if (!last.read || last.text != text) {
    last.number = numbers::ParseNumber(text);
    last.text = text;
    last.read = true;
  }
  return last.number;
}

bool FormModel::Checked(Control control) const {
  if (!HoldsState(control))
    throw FormError(text::Quoted(NameOf(control)) + " is not a check box or option");
  return state_->checked[static_cast<size_t>(control)];
}

const std::string& FormModel::Message() const {
  return state_->message;
}
const std::string& FormModel::Result() const {
  return state_->result;
}
const std::string& FormModel::Failure() const {
  return state_->failure;
}
std::optional<Control> FormModel::FailureControl() const {
  return state_->failure_control;
}
const std::vector<std::string>& FormModel::TableList() const {
  return state_->table_list;
}
const FormEnvironment& FormModel::Environment() const {
  return state_->environment;
}
int FormModel::RecalculationCount() const {
  return state_->recalculations;
}
bool FormModel::KeepDetail() const {
  return state_->keep_detail;
}
bool FormModel::YieldCurveLoaded() const {
  return state_->yield_curve.has_value();
}

void FormModel::SetText(Control control, const std::string& text) {
  if (!HoldsText(control))
    throw FormError(text::Quoted(NameOf(control)) + " holds no text");
  state_->texts[static_cast<size_t>(control)] = text;
  Notify();
  FireChange(control);
}

void FormModel::SetChecked(Control control, bool checked) {
  if (!HoldsState(control))
    throw FormError(text::Quoted(NameOf(control)) + " is not a check box or option");
  auto& states = state_->checked;
  const auto index = [](Control c) { return static_cast<size_t>(c); };
  if (states[index(control)] == checked)
    return;

  if (KindOf(control) == ControlKind::kCheckBox) {
    states[index(control)] = checked;
    Notify();
    FireChange(control);
    return;
  }

  // An option group always has exactly one button on: both changes are made before either
  // Change handler runs, so both recalculations see the final state of the group.
  const auto [first, last] = GroupOf(control);
  Control turned_on = control;
  Control turned_off = control;
  for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i) {
    const auto other = static_cast<Control>(i);
    if (other == control)
      continue;
    if (checked && states[index(other)])
      turned_off = other;
    if (!checked && turned_on == control)
      turned_on = other;
  }
  states[index(turned_off)] = false;
  states[index(turned_on)] = true;
  Notify();
  FireChange(turned_on);
  if (turned_off != turned_on)
    FireChange(turned_off);
}

void FormModel::FireChange(Control control) {
  switch (control) {
    case Control::RetirementDate:
    case Control::ValuationDate:
    case Control::MonthOfYieldCurve:
      ShowHelp(control, HelpEvent::kChange);
      return;
    case Control::NoProjection:
    case Control::ProjToValuation:
    case Control::ProjToRetirement:
    case Control::ProjToPayment:
    case Control::Female:
    case Control::Male:
    case Control::BlendedAnnuitnat:
    case Control::BlendedMaleFemale:
      Recalculate();
      return;
    default:
      return;
  }
}

void FormModel::Validate(Control control) {
  if (const NumericField* field = NumericFieldOf(control)) {
    SetText(control, NormalisedNumberText(*field, Text(control)));
    Recalculate();
    return;
  }
  if (const detail::DateAgeHandler handler = detail::DateAgeHandlerOf(control)) {
    detail::DateAgeView view(*this);
    const std::optional<detail::FailureReport> failed =
        detail::MessageOfFailure([&] { handler(view); });
    if (failed) {
      // The handler stopped where its input failed; like any failed operation of the form it
      // does not go on to recalculate.
      state_->failure = std::string(CaptionOf(control)) + ": " + failed->message;
      state_->failure_control = control;
      Notify();
      return;
    }
    Recalculate();
    return;
  }
  // Choice controls and table choosers recalculate on leaving, changed or not; the buttons have
  // no Validate.
  if (KindOf(control) != ControlKind::kButton)
    Recalculate();
}

void FormModel::MouseMove(Control control) {
  ShowHelp(control, HelpEvent::kMouseMove);
}
void FormModel::GotFocus(Control control) {
  ShowHelp(control, HelpEvent::kGotFocus);
}
void FormModel::Click(Control control) {
  ShowHelp(control, HelpEvent::kClick);
}

void FormModel::ShowHelp(Control control, HelpEvent event) {
  const std::optional<std::string_view> text = HelpTextFor(control, event);
  if (!text)
    return;
  state_->message = std::string(*text);
  Notify();
}

std::array<tables::TableRequest, 4> FormModel::TableRequests() const {
  return detail::TableRequestsOf(*this);
}

sheets::MortalityColumns FormModel::LoadMortality() {
  State& s = *state_;
  tables::TableCache* cache = s.environment.table_cache;
  // A batch run's tables come from its cache, so a table asked for as in the last row is that
  // row's table; the window reads the file every time, so a replaced file counts at once.
  return detail::LoadTables(TableRequests(), s.store, cache,
                            cache != nullptr ? &s.last_tables : nullptr);
}

valuation::Sensitivities FormModel::Valuate(bool with_sensitivities) {
  State& s = *state_;
  const valuation::ValuationInputs inputs = detail::ValuationInputsOf(*this, LoadMortality());
  valuation::ValuationContext context;
  context.survival_cache = s.environment.survival_cache;
  std::optional<valuation::CurveDiscount> curve;
  if (s.keep_detail)
    context.detail = s.detail.get();
  try {
    if (Checked(Control::FullYieldCurve)) {
      // The workbook is read once per run; a failed read leaves YieldCurveLoaded false, so the
      // next valuation tries again. The curve itself follows the form's year and month every
      // time.
      if (!s.yield_curve)
        s.yield_curve = detail::ReadYieldCurve(s.environment);
      const int index = valuation::CurveIndex(detail::NumberOf(*this, Control::YearOfYieldCurve),
                                              detail::NumberOf(*this, Control::MonthOfYieldCurve),
                                              s.yield_curve->CurveCount());
      if (s.environment.curve_cache != nullptr) {
        const valuation::CurveCache::Curves cached =
            s.environment.curve_cache->Get(*s.yield_curve, index, with_sensitivities);
        context.full_yield_curve = cached.curve;
        context.moved_curves = cached.moved;
      } else {
        curve.emplace(s.yield_curve->Discount(index));
        context.full_yield_curve = &*curve;
      }
    }
    valuation::Sensitivities figures;
    if (with_sensitivities)
      figures = valuation::ValueWithSensitivities(inputs, context);
    else
      figures.value = valuation::Orvane(inputs, context);
    s.value = figures.value;
    return figures;
  } catch (const valuation::ValuationError& e) {
    throw detail::FormErrorOf(e, s.store, TableRequests());
  }
}

std::string FormModel::ValueText() {
  const bool with_sensitivities = state_->environment.with_sensitivities;
  valuation::Sensitivities figures = Valuate(with_sensitivities);
  std::string text = numbers::ResultText(figures.value);
  if (with_sensitivities)
    state_->sensitivities = std::move(figures);
  return text;
}

const std::optional<valuation::Sensitivities>& FormModel::Sensitivities() const {
  return state_->sensitivities;
}

std::string FormModel::ResultToolTip() {
  const State& s = *state_;
  if (s.recalculations == 0 || !s.failure.empty()) {
    return "No sensitivities: the value on display is not that of the entries as they stand "
           "(see the reason under it)";
  }
  valuation::Sensitivities figures;
  const std::optional<detail::FailureReport> failed =
      detail::MessageOfFailure([&] { figures = Valuate(true); });
  if (failed)
    return "No sensitivities: " + failed->message;
  if (numbers::ResultText(figures.value) != s.result) {
    return "No sensitivities: an entry has changed since the value on display was calculated; "
           "leave the field to recalculate";
  }
  if (!figures.Duration || !figures.Convexity || !figures.DV01)
    return "No sensitivities: " + figures.missing;
  // Rounded for reading; orvane-value --sensitivity prints every digit.
  return "Duration " + numbers::FormatPicture(*figures.Duration, "#,##0.0000") + " years\nDV01 " +
         numbers::FormatPicture(*figures.DV01, "#,##0.00") + " per basis point\nConvexity " +
         numbers::FormatPicture(*figures.Convexity, "#,##0.00");
}

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
  const auto entry_stands = [this](const std::pair<Control, std::string>& entry) {
    return EntryText(*this, entry.first) == entry.second;
  };
  if (std::all_of(state_->basis_entries.begin(), state_->basis_entries.end(), entry_stands))
    summary.basis = state_->basis;
  return summary;
}

void FormModel::NoteBasis(std::vector<std::pair<std::string, std::string>> lines,
                          const std::vector<Control>& controls) {
  state_->basis = std::move(lines);
  state_->basis_entries.clear();
  for (Control control : controls)
    state_->basis_entries.emplace_back(control, EntryText(*this, control));
}

void FormModel::ExportMortality(const std::filesystem::path& file) {
  sheets::WriteMortalityWorkbook(file, LoadMortality());
}

void FormModel::Calculate() {
  RunCalculate();
}

void FormModel::Recalculate() {
  if (!state_->environment.recalculate_only_on_request)
    RunCalculate();
}

bool FormModel::RunCalculate() {
  State& s = *state_;
  ++s.recalculations;
  std::string text;
  const std::optional<detail::FailureReport> failed =
      detail::MessageOfFailure([&] { text = ValueText(); });
  if (failed) {
    s.failure = failed->message;
    s.failure_control = failed->control;
    s.sensitivities.reset();
  } else {
    s.result = std::move(text);
    s.failure.clear();
    s.failure_control.reset();
  }
  Notify();
  return !failed;
}

FormInputs FormModel::SaveInputs() const {
  FormInputs inputs;
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    if (HoldsText(control))
      inputs.texts[static_cast<size_t>(i)] = Text(control);
    else if (HoldsState(control))
      inputs.checked[static_cast<size_t>(i)] = Checked(control);
  }
  return inputs;
}

void FormModel::RestoreInputs(const FormInputs& inputs) {
  for (int i = 0; i < kControlCount; ++i) {
    const auto control = static_cast<Control>(i);
    const auto index = static_cast<size_t>(i);
    switch (KindOf(control)) {
      case ControlKind::kTextField:
      case ControlKind::kTableChooser:
        if (Text(control) != inputs.texts[index])
          SetText(control, inputs.texts[index]);
        break;
      case ControlKind::kCheckBox:
        SetChecked(control, inputs.checked[index]);
        break;
      case ControlKind::kOptionButton:
        if (inputs.checked[index])
          SetChecked(control, true);
        break;
      case ControlKind::kButton:
        break;
    }
  }
}

void FormModel::NoteFailure(const std::string& reason) {
  state_->failure = reason;
  state_->failure_control.reset();
  Notify();
}

void FormModel::SetChangeListener(std::function<void()> listener) {
  state_->listener = std::move(listener);
}

void FormModel::Notify() {
  if (state_->listener)
    state_->listener();
}

}  // namespace orvane::form
