// The window's layout data against the rules of a designed form, without a toolkit: a label
// stands on its control's line and does not run into it, the labels of a column of fields line
// up, controls of one kind are one height, and a control has one caption only.
#include "window/window_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

namespace orvane::window::layout {
namespace {

using form::ControlKind;
using form::KindOf;

const ControlSpec& SpecOf(Control control) {
  for (const ControlSpec& placed : Controls()) {
    if (placed.control == control)
      return placed;
  }
  throw std::logic_error("no place for " + std::string(NameOf(control)));
}

TEST(WindowLayout, LabelsStandOnTheirControlsLineInAlignedColumns) {
  std::map<std::tuple<std::string, int>, Twips> column;  // frame and left of the fields
  std::map<Control, int> labels;
  for (const LabelSpec& label : Labels()) {
    if (!label.caption.beside)
      continue;
    const ControlSpec& control = SpecOf(*label.caption.beside);
    const Twips& at = label.place;
    ++labels[control.control];
    EXPECT_EQ(std::string(label.frame), control.frame) << label.name;
    EXPECT_EQ(at.top, control.place.top) << label.name;
    EXPECT_LE(at.left + at.width, control.place.left) << label.name << " runs into its control";
    if (KindOf(control.control) != ControlKind::kTextField)
      continue;
    const auto [first, added] = column.emplace(std::tuple(label.frame, control.place.left), at);
    EXPECT_EQ(std::tuple(at.left, at.width, at.height),
              std::tuple(first->second.left, first->second.width, first->second.height))
        << label.name << " leaves the column of its frame's labels";
  }
  // The choosers are named by the headings of their row and column instead.
  for (const ControlSpec& control : Controls()) {
    const bool headed = KindOf(control.control) == ControlKind::kTableChooser;
    EXPECT_EQ(labels[control.control], control.captioned || headed ? 0 : 1)
        << NameOf(control.control);
  }
}

TEST(WindowLayout, ControlsOfOneKindAreOneHeightAndPlainFramesOneColumn) {
  std::map<ControlKind, int> height;
  for (const ControlSpec& placed : Controls()) {
    const ControlKind kind = KindOf(placed.control);
    if (kind != ControlKind::kTextField && kind != ControlKind::kTableChooser)
      continue;
    EXPECT_EQ(height.emplace(kind, placed.place.height).first->second, placed.place.height)
        << NameOf(placed.control);
  }
  std::map<std::string, Twips> plain;  // the frames without a caption, by the frame holding them
  for (const FrameSpec& frame : Frames()) {
    if (frame.caption == nullptr) {
      const Twips& first = plain.emplace(frame.parent, frame.place).first->second;
      EXPECT_EQ(std::pair(frame.place.left, frame.place.width), std::pair(first.left, first.width))
          << frame.name;
    }
  }
}

}  // namespace
}  // namespace orvane::window::layout
