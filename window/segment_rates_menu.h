// The "417(e) segment rates of..." entry of the three interest fields' context menu and the
// dialog it opens; the window enters the month chosen through the form model.
#pragma once

#include <filesystem>
#include <optional>

#include <QPoint>
#include <QString>

#include "segment_rates/segment_rates.h"

class QLineEdit;
class QWidget;

namespace orvane::window {

// Shows the field's context menu with the entry added at `at`; whether the entry was chosen.
bool AskedForSegmentRates(QLineEdit* edit, const QPoint& at);

// Reads the segment rates `file` and lets the user choose a month in the dialog. Nothing when the
// dialog is cancelled, or when the file cannot be read: `problem` then says why. Does not throw.
std::optional<segment_rates::SegmentRates> ChooseSegmentRates(const std::filesystem::path& file,
                                                              QWidget* parent, QString& problem);

}  // namespace orvane::window
