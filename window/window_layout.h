// The designed layout of the valuation window, as data: every frame, label and control at its
// place in twips (1/1440 inch) within the frame that holds it, the tab order, the type sizes.
// The window (valuation_form.cpp) builds its widgets from these tables and places each one the
// same way, so moving a control is an edit of one line here. No Qt: the layout is plain data.
#pragma once

#include <optional>
#include <span>

#include "form/controls.h"

namespace orvane::window::layout {

using form::Control;

// Left, top, width, height in twips, relative to the frame that holds the widget.
struct Twips {
  int left, top, width, height;
};

struct FrameSpec {
  const char* name;
  const char* parent;   // nullptr: the window
  const char* caption;  // nullptr: a plain frame without border or caption
  Twips place;
};

// A label's caption: that of the control it stands beside (CaptionOf, so a control is named one
// way on the form, in its messages and on the Summary sheet), or a text of its own for a label
// that heads a row or column of choosers or names a group.
struct LabelCaption {
  constexpr LabelCaption(Control control) : beside(control) {}
  constexpr LabelCaption(const char* own) : text(own) {}
  std::optional<Control> beside;
  const char* text = nullptr;
};

struct LabelSpec {
  const char* name;
  const char* frame;
  LabelCaption caption;
  Twips place;
};

struct ControlSpec {
  Control control;
  const char* frame;  // nullptr: the window
  bool captioned;     // shows its own caption (CaptionOf) rather than a label beside it
  Twips place;
};

std::span<const FrameSpec> Frames();      // parents before their children
std::span<const LabelSpec> Labels();      // every frame they name comes first in Frames()
std::span<const ControlSpec> Controls();  // every control once
std::span<const Control> TabOrder();      // every control once, by the controls' tab indices

// The pieces that are not controls: the picture and text of the message area (in "Message"),
// the results label (in "Frame5").
inline constexpr Twips kPicture = {120, 240, 615, 615};   // Picture1
inline constexpr Twips kMessage = {960, 240, 6495, 615};  // Label6
inline constexpr Twips kResult = {240, 360, 1935, 375};   // orvaneresults

inline constexpr int kDesignedWidth = 11655;  // the client area of the designed form
inline constexpr int kDesignedHeight = 8085;
// The reason of a failed recalculation is shown in a band under the designed form, across the
// window; four lines hold every reason but one naming a file in a deep folder, and for that one
// the band grows instead of the text shrinking.
inline constexpr Twips kFailureBand = {240, kDesignedHeight, 11175, 960};
inline constexpr int kBottomMargin = 120;

// Type sizes in points.
inline constexpr double kBodyPoints = 8.0;
inline constexpr double kCaptionPoints = 12.0;  // the caption of Frame5
inline constexpr double kResultPoints = 9.75;   // orvaneresults
inline constexpr double kFailurePoints = 8.25;  // read without effort at 96 dpi
inline constexpr double kSmallestPoints = 5.5;  // the message area shrinks its font down to this
// A stand-in face wider than the design's shrinks a caption down to this to fit its place.
inline constexpr double kSmallestCaptionPoints = 6.5;

}  // namespace orvane::window::layout
