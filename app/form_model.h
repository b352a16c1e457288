#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "tables/table_store.h"

namespace orvane::app {

// Where the form finds its data files and how it asks the data-file question.
struct FormEnvironment {
  std::filesystem::path data_dir = ".";          // holds "Full Yield Curve.xls"
  std::filesystem::path tables_file = "MortalityTables";  // relative paths are taken in data_dir
  tables::RetryQuestion ask_retry;               // "Data File not available, retry"
};

// The valuation form without a toolkit: every control's text or checked state, the message area,
// the results label, the start-up sequence, the recalculation and every event handler. The Qt
// window and the command-line tools both drive this one object, so they cannot disagree.
//
// Events are the form's own: a window calls Validate when the focus is about to leave a control,
// SetText / SetChecked for every typed or clicked change (they fire the control's Change), and
// MouseMove, GotFocus and Click as they happen. Handlers never throw: a failed recalculation
// leaves the results label as it was and its reason in Failure().
class FormModel {
 public:
  explicit FormModel(FormEnvironment environment);
  ~FormModel();
  FormModel(const FormModel&) = delete;
  FormModel& operator=(const FormModel&) = delete;

  // Start-up: fills the choosers from the data file's catalogue and writes the default texts.
  // Does not recalculate. Throws tables::DataFileUnavailable when the data-file question is
  // answered Cancel.
  void Load();

  // Reading the form.
  const std::string& Text(Control control) const;   // text field or chooser
  bool Checked(Control control) const;              // check box or option button
  const std::string& Message() const;               // the message area (Label6)
  const std::string& Result() const;                // the results label (orvaneresults)
  const std::string& Failure() const;               // reason of the last failed recalculation,
                                                    // empty after a successful one
  const std::vector<std::string>& TableList() const;  // the choosers' list entries
  int RecalculationCount() const;                   // successful or not, since Load

  // Events.
  void SetText(Control control, const std::string& text);  // typed or picked: fires Change
  void SetChecked(Control control, bool checked);  // clicked: fires Change of every button
                                                   // whose state changes, in order
  void Validate(Control control);                  // the focus is about to leave the control
  void MouseMove(Control control);
  void GotFocus(Control control);
  void Click(Control control);

  // The recalculation: four tables, the valuation, the results label.
  void Calculate();

  // Told after every change of a text, a checked state, the message area, the results label or
  // the failure text, so a window can refresh what it shows.
  void SetChangeListener(std::function<void()> listener);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace orvane::app
