// The valuation form of Orvane without a toolkit.
//
// Map of this library:
//   controls.h        the controls of the form: names, kinds, captions.
//   numeric_fields.h  the fourteen plain-number fields: bounds, fallbacks, display formats.
//   help_texts.h      the 38 texts of the message area and the events that write them.
//   form_error.h      the one error type of the library.
//   form_model.h      FormModel (this file): the controls' texts and states, start-up, the
//                     recalculation, every event handler, the failure shown under the form,
//                     saving and restoring the inputs, the full yield curve and the two
//                     exports. The Qt window and the command-line tools both drive this one
//                     object, so they cannot disagree.
//   control_entry.h   one Control=Text entry: parsed (ParseAssignment), refused or entered as
//                     a user enters it; the command line, the screenshot and the census use it.
//   segment_rate_entry.h  a month's 417(e) segment rates (segment_rates/) typed into the three
//                     interest fields as a user types them.
// The census (census/) and the Qt window (window/) drive this form model; neither holds a rule
// of its own.
//
// The road of one recalculation: a handler (Validate of a field or chooser, Change of an option
// button or blend box) normalises its control, then Calculate reads every input afresh, makes
// the four LoadTable calls of the table store, converts the fifteen number texts, runs the
// valuation and writes the rounded result into the results label.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/help_texts.h"
#include "sheets/exports.h"
#include "tables/table_cache.h"
#include "tables/table_store.h"
#include "valuation/curve_cache.h"
#include "valuation/sensitivities.h"
#include "valuation/survival_cache.h"

namespace orvane::form {

// Where the form finds its data files and how it asks the data-file question.
struct FormEnvironment {
  std::filesystem::path data_dir = ".";                   // holds "Full Yield Curve.xls"
  std::filesystem::path tables_file = "MortalityTables";  // relative paths are taken in data_dir
  tables::RetryQuestion ask_retry;  // "Data File not available, retry"; empty: Cancel
  // Tables shared by the form models of a batch run, each read once (not owned; must outlive
  // the form). Empty, as in the window: every recalculation reloads its tables from the file.
  tables::TableCache* table_cache = nullptr;
  // The full yield curves of a batch run, each built once and shared by its form models, all
  // reading one workbook (not owned; must outlive the form). Empty, as in the window: every
  // recalculation builds the curve of the form's year and month.
  valuation::CurveCache* curve_cache = nullptr;
  // The tables' monthly survival of a batch run, fitted once per table and shared by its form
  // models (not owned; must outlive the form). Empty, as in the window: every recalculation
  // fits the years of its own tables, to the same bits.
  valuation::SurvivalCache* survival_cache = nullptr;
  // A batch run that types many entries and then asks for one value: the handlers normalise
  // their controls as always, but only an explicit Calculate recalculates. The value is the
  // same, since a recalculation reads every input afresh and changes no input.
  bool recalculate_only_on_request = false;
  // A batch run that prints the sensitivities: every recalculation computes them with the value,
  // from the same run, for Sensitivities(). The window leaves this off and asks for them with
  // ResultToolTip only when they are shown.
  bool with_sensitivities = false;
};

// Every text and checked state of the form's inputs (a button has neither): what SaveInputs
// gives and RestoreInputs puts back.
struct FormInputs {
  std::array<std::string, kControlCount> texts;  // of the text fields and choosers
  std::array<bool, kControlCount> checked{};     // of the check boxes and option buttons
};

// The valuation form without a toolkit: every control's text or checked state, the message area,
// the results label, the start-up sequence, the recalculation and every event handler.
//
// Events are the form's own: a window calls Validate when the focus is about to leave a control,
// SetText / SetChecked for every typed or clicked change (they fire the control's Change), and
// MouseMove, GotFocus and Click as they happen. Handlers never throw: a failed recalculation
// leaves the results label as it was and its reason in Failure(). The one exception is
// tables::DataFileUnavailable (the data-file question answered Cancel), which ends the program
// and so reaches the caller of any handler that reads the data file.
class FormModel {
 public:
  explicit FormModel(FormEnvironment environment);
  ~FormModel();
  FormModel(const FormModel&) = delete;
  FormModel& operator=(const FormModel&) = delete;

  // Start-up: fills the choosers from the data file's catalogue and writes the default texts.
  // Does not recalculate. Throws tables::DataFileUnavailable when the data-file question is
  // answered Cancel; a malformed catalogue leaves the lists empty and its reason in Failure().
  void Load();

  // Reading the form. Text and Checked throw FormError for a control of the other kind.
  const std::string& Text(Control control) const;  // text field or chooser
  // The number the text of `control` reads as (numbers::ParseNumber), nothing when it reads as
  // none. A batch run asks for the same texts row after row: the last reading of each control
  // is kept while its text stays the same.
  std::optional<double> NumberIn(Control control) const;
  bool Checked(Control control) const;  // check box or option button
  const std::string& Message() const;   // the message area (Label6)
  const std::string& Result() const;    // the results label (orvaneresults)
  const std::string& Failure() const;   // reason of the last failed recalculation,
                                        // empty after a successful one
  // The control that the last failure is about (the field, chooser or box to correct), when
  // one is; nothing once a recalculation has succeeded.
  std::optional<Control> FailureControl() const;
  const std::vector<std::string>& TableList() const;  // the choosers' list entries
  const FormEnvironment& Environment() const;         // where the form finds its data files
  int RecalculationCount() const;                     // successful or not, since Load
  bool KeepDetail() const;                            // true only while ExportDetail recalculates
  bool YieldCurveLoaded() const;  // the full yield curve workbook has been read in this run
  // The sensitivities of the last recalculation, when FormEnvironment::with_sensitivities asks
  // for them and it succeeded; empty otherwise.
  const std::optional<valuation::Sensitivities>& Sensitivities() const;

  // Events.
  // Typed or picked: fires Change (also when the text stays the same, as a program rewrite of
  // the field does). Throws FormError unless the control is a text field or chooser.
  void SetText(Control control, const std::string& text);
  // Clicked: fires Change of every button whose state changes, the one turned on first. Clearing
  // a selected option button selects the first other button of its group in the order of the
  // Control enum (Male for Female, NoProjection for a projection, ProjToValuation for
  // NoProjection). Throws FormError unless the control is a check box or option button.
  void SetChecked(Control control, bool checked);
  void Validate(Control control);  // the focus is about to leave the control
  void MouseMove(Control control);
  void GotFocus(Control control);
  void Click(Control control);  // only the help text; the exports are the two methods below

  // Takes an error that escaped a handler (tables::DataFileUnavailable, where the data-file
  // question's Cancel does not end the program, as at a window's start-up) as the failure, about
  // no one control: it is shown as any failure until a recalculation succeeds. Never throws.
  void NoteFailure(const std::string& reason);

  // The inputs as they stand, for RestoreInputs. Never throws.
  FormInputs SaveInputs() const;
  // Puts saved inputs back through the form's own setters (each fires its Change, as a typed
  // entry does), writing only the texts that differ; turning on the saved button of each option
  // group turns the others off. Does not validate or recalculate. Throws only what the handlers
  // throw (tables::DataFileUnavailable).
  void RestoreInputs(const FormInputs& inputs);

  // The recalculation: four tables, the valuation, the results label. Never throws but
  // tables::DataFileUnavailable; a failure leaves the label and sets Failure().
  void Calculate();

  // The four LoadTable requests of a recalculation, in the order Calculate makes them:
  // PostRetPrimary, PostRetContingent, PreRetPrimary, PreRetContingent. Throws FormError when a
  // date field the requests need (RetirementDate, ValuationDate, DateOfBirth) is not a date.
  std::array<tables::TableRequest, 4> TableRequests() const;

  // The four tables that the form's inputs select, loaded as Calculate loads them. Throws
  // FormError (a date that is not a date, a table the loader rejects) and
  // tables::DataFileUnavailable.
  sheets::MortalityColumns LoadMortality();

  // The results label's tooltip: duration, DV01 and convexity of the value on display, computed
  // now from the form's entries (the tables are read again, as a recalculation reads them), or
  // why there are none: the value on display is not that of the entries (a failed
  // recalculation, a field typed and not yet left), or the figures do not exist. Changes nothing
  // on the form. Never throws but tables::DataFileUnavailable.
  std::string ResultToolTip();

  // Writes the calculation detail workbook at `file`: the headings and input block from the
  // field texts as they stand, then a recalculation (which also updates the results label) that
  // records every month, then the workbook. KeepDetail is false again afterwards, on failure
  // too. Throws FormError when the recalculation fails, sheets::SheetError when the workbook
  // cannot be written, tables::DataFileUnavailable.
  void ExportDetail(const std::filesystem::path& file);

  // What the detail workbook's Summary sheet shows: every control's caption with its text (or
  // "Yes" / "No"), in the order of the Control enum, and the unrounded value of the last
  // successful recalculation. The sensitivities are left empty.
  sheets::DetailSummary Summary() const;

  // Notes the 417(e) basis applied by the plan's terms (form/segment_rate_entry.h), a caption and
  // a text per line, for the Summary sheet, which shows it while `controls` keep the entries the
  // basis left in them. Never throws.
  void NoteBasis(std::vector<std::pair<std::string, std::string>> lines,
                 const std::vector<Control>& controls);

  // Writes the four tables in use into a mortality workbook at `file`; does not recalculate.
  // Throws as LoadMortality, and sheets::SheetError when the workbook cannot be written.
  void ExportMortality(const std::filesystem::path& file);

  // Told after every change of a text, a checked state, the message area, the results label or
  // the failure text, so a window can refresh what it shows.
  void SetChangeListener(std::function<void()> listener);

 private:
  struct State;
  std::unique_ptr<State> state_;

  bool RunCalculate();      // Calculate, telling whether it succeeded
  void Recalculate();       // a handler's recalculation, unless only requested ones run
  std::string ValueText();  // the recalculation proper; throws what its steps throw
  // The valuation of the form's entries, with the sensitivities or the value alone; throws what
  // the recalculation's steps throw.
  valuation::Sensitivities Valuate(bool with_sensitivities);
  void FireChange(Control control);
  void ShowHelp(Control control, HelpEvent event);
  void Notify();
};

}  // namespace orvane::form
