#include "window/window_text.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "window/window_layout.h"

namespace orvane::window {

QFont FormFont(double points, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                    QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// A stand-in face may be wider than the design's: shrinks the caption of a label, check box or
// option button a little, down to layout::kSmallestCaptionPoints, until it fits the designed width.
void FitCaption(QWidget* widget) {
  QFont font = widget->font();
  while (widget->sizeHint().width() > widget->width() &&
         font.pointSizeF() - 0.25 >= layout::kSmallestCaptionPoints) {
    font.setPointSizeF(font.pointSizeF() - 0.25);
    widget->setFont(font);
  }
}

QString FromForm(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToForm(const QString& text) {
  return text.toLatin1().toStdString();
}

QString Breakable(QString text) {
  text.replace(QLatin1Char('/'), QStringLiteral("/\u200B"));
  return text;
}

void ShowFitted(QLabel* label, const QString& text, double points, bool bold) {
  QFont font = FormFont(points, bold);
  for (double size = points; size >= layout::kSmallestPoints; size -= 0.5) {
    font.setPointSizeF(size);
    const QRect needed = QFontMetrics(font, label)
                             .boundingRect(QRect(0, 0, label->width(), 1 << 20),
                                           Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
    if (needed.height() <= label->height())
      break;
  }
  label->setFont(font);
  label->setText(text);
  label->setToolTip(text);
}

// With some 140 entries of up to 130 characters, the open list is as wide as its widest entry
// (the field itself is narrow), typing the start of a name completes it in the field, and a
// picked entry shows its start, the table name, rather than the tail of its description.
// Completion is case-sensitive like the table names; text in another case is kept as typed.
void FitChooserList(QComboBox* combo, const QStringList& entries) {
  auto* completer = new QCompleter(entries, combo);
  completer->setCaseSensitivity(Qt::CaseSensitive);
  completer->setCompletionMode(QCompleter::InlineCompletion);
  combo->setCompleter(completer);
  combo->view()->setTextElideMode(Qt::ElideNone);
  const QFontMetrics metrics(combo->view()->font());
  int widest = 0;
  for (const QString& entry : entries) widest = std::max(widest, metrics.horizontalAdvance(entry));
  combo->view()->setMinimumWidth(widest + metrics.averageCharWidth() * 4 +
                                 combo->view()->verticalScrollBar()->sizeHint().width());
  QObject::connect(combo, &QComboBox::activated, combo,
                   [combo] { combo->lineEdit()->setCursorPosition(0); });
}

}  // namespace orvane::window
