// How the window sets its texts: the form's typeface, captions, messages and chooser lists fitted
// to their designed boxes, and the form model's single-byte text turned into Qt's and back.
#pragma once

#include <string>
#include <string_view>

#include <QFont>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QWidget;

namespace orvane::window {

// The form's typeface at `points`; where "MS Sans Serif" is missing, the nearest sans-serif.
QFont FormFont(double points, bool bold);

// Shrinks the caption of a label, check box or option button until it fits its designed width.
void FitCaption(QWidget* widget);

// Shows `text` in `label` word-wrapped, at the largest size from `points` down at which it fits
// the label's box; the whole text is also the tooltip.
void ShowFitted(QLabel* label, const QString& text, double points, bool bold);

// Fills a chooser's list with the data file's table entries (some 140, up to 130 characters
// each): the open list as wide as its widest entry, a typed start completed in the field.
void FitChooserList(QComboBox* combo, const QStringList& entries);

// The form model holds single-byte text (the data file's names compare byte for byte).
QString FromForm(std::string_view text);
std::string ToForm(const QString& text);

// Lets a long path wrap after each folder: a zero-width space after every slash.
QString Breakable(QString text);

}  // namespace orvane::window
