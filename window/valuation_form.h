// The Qt window of Orvane: a thin binding of widgets and events to the toolkit-free form model.
//
// Map of the window:
//   form/form_model.h      FormModel: every text and checked state, the message area, the
//                          results label, the failure shown under the form, start-up, the
//                          recalculation and every event handler. It knows nothing of Qt; the
//                          window only forwards events to it.
//   window/window_layout.h   the design as data: every frame, label and control at its place in
//                          twips, the tab order, the type sizes. Moving a control is one line
//                          there.
//   valuation_form.h (this) ValuationForm: builds the widgets from the layout, places each with
//                          Place (twips scaled by the screen's logical dpi), and translates Qt
//                          events into the model's events, every one through the one Forward:
//                            focus moving between two of the window's controls -> Validate
//                            typed text, a pick from a chooser's list          -> SetText
//                            a click on a check box or option button           -> SetChecked
//                            a click on any button or box                      -> Click
//                            a click on an export button                       -> ExportDetail /
//                                                                                 ExportMortality
//                            mouse movement over a control                     -> MouseMove
//                            a control receiving the focus                     -> GotFocus
//                            a tooltip asked for on the results label          -> ResultToolTip
//                            "417(e) segment rates of..." in an interest field's
//                            context menu, a month chosen (segment_rates_menu.cpp)
//                                                                  -> EnterSegmentRates
//                          The model's change listener repaints every widget from the model, with
//                          the widgets' signals blocked, so nothing the program writes comes back
//                          as a user event.
//   window/window_text.h    the form's typeface, captions and lists fitted to their boxes, and the
//                          model's single-byte text turned into Qt's.
//   window/data_file_question.h  the data-file question box and where the file was looked for.
//   window/icon.h          the 32 x 32 picture of the message area, also the window icon.
//   window/main.cpp        the program: data files in the current directory, the data-file
//                          question as a modal box whose Cancel ends the program at once.
//
// Failures never block the user: a failed recalculation's reason appears whole in a band under
// the designed form (the window grows for a reason too long for it) and the control at fault is
// marked until a recalculation succeeds; export problems appear in a non-modal note.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <QPalette>
#include <QString>
#include <QWidget>

#include "form/controls.h"
#include "form/form_model.h"
#include "window/data_file_question.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPoint;

namespace orvane::window {

using form::Control;
using form::FormEnvironment;
using form::FormModel;
using form::kControlCount;
namespace layout {
struct Twips;
}

// The name of the dynamic property that is true on the widget of the control at fault.
inline constexpr char kAtFault[] = "orvaneAtFault";

// The valuation form's window. Owns its FormModel for the life of the window.
class ValuationForm : public QWidget {
  Q_OBJECT

 public:
  // Opens a workbook that an export has just written (an absolute path); false when nothing
  // could open it. The default hands the file to the desktop (QDesktopServices::openUrl).
  using FileOpener = std::function<bool(const QString& path)>;

  // Builds the window and runs the form's start-up (reads the data file's catalogue, writes the
  // defaults) before the window is shown. Does not throw: a start-up failure, including the
  // data-file question answered Cancel, is shown in the failure line under the result.
  explicit ValuationForm(FormEnvironment environment, FileOpener open_file = {},
                         QWidget* parent = nullptr);
  ~ValuationForm() override;

  FormModel& model() { return model_; }

  // The widget of a control (a QLineEdit, QComboBox, QCheckBox, QRadioButton or QPushButton).
  QWidget* WidgetOf(Control control) const;

  // The control that `widget` belongs to, a child such as a chooser's line edit included, or
  // nothing for a widget outside this window's controls (labels, frames, popups, other windows).
  std::optional<Control> ControlOf(const QWidget* widget) const;

  // Converts twips (1/1440 inch) to pixels at this screen's logical dpi.
  int Pixels(int twips) const;
  // Sets the widget's geometry within its parent from its designed place in twips.
  void Place(QWidget* widget, const layout::Twips& place) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildFrames();
  void BuildLabels();
  void BuildControls();
  void BuildMessageArea();
  void BuildResultArea();
  void BuildFailureBand();
  void Connect(Control control);
  void SetTabOrder();

  void OnFocusChanged(QWidget* old_widget, QWidget* new_widget);
  void OnTextTyped(Control control, const QString& text);
  void OnButtonClicked(Control control, QAbstractButton* button);
  void Export(Control button);
  // The context menu of an interest field: the line edit's own entries and "417(e) segment
  // rates of...", which opens the month dialog and enters the chosen month's rates.
  void OnInterestMenu(QLineEdit* edit, const QPoint& at);

  // Runs one forwarded event, then repaints. An error that escapes the model is never rethrown:
  // it goes to `escaped` when given, else the model takes it as its failure (NoteFailure).
  using Escaped = std::function<void(const std::string& reason)>;
  void Forward(const std::function<void()>& event, const Escaped& escaped = {});
  void Refresh();
  void ShowFailureLine();
  void MarkControlAtFault();
  void ShowNote(const QString& text);

  FormModel model_;
  FileOpener open_file_;
  int dpi_ = 96;
  std::array<QWidget*, kControlCount> widgets_{};
  std::array<QPalette, kControlCount> normal_palettes_;
  QLabel* message_ = nullptr;       // Label6
  QLabel* result_ = nullptr;        // orvaneresults
  QLabel* failure_ = nullptr;       // the band with the reason of a failed recalculation
  std::optional<Control> focused_;  // the last control of this window that had the focus
  bool forwarding_ = false;
};

}  // namespace orvane::window
