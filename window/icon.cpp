#include "window/icon.h"

#include <QColor>
#include <QPainter>
#include <QPolygon>

namespace orvane::window {

QPixmap DrawOrvaneIcon() {
  // The sixteen-colour palette of the classic desktop, so the picture looks at home at 32 x 32.
  const QColor navy(0, 0, 128), teal(0, 128, 128), olive(128, 128, 0), yellow(255, 255, 0);
  const QColor silver(192, 192, 192), gray(128, 128, 128), black(0, 0, 0), white(255, 255, 255);

  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, false);

  painter.setPen(navy);
  painter.setBrush(teal);
  painter.drawRoundedRect(0, 0, 31, 31, 5, 5);

  // The coin: rim, face and an inner ring.
  painter.setPen(olive);
  painter.setBrush(yellow);
  painter.drawEllipse(3, 10, 18, 18);
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(7, 14, 10, 10);

  // The quill: a feather from the top right corner down to a nib on the coin.
  const QPolygon feather({QPoint(29, 2), QPoint(23, 4), QPoint(17, 9), QPoint(13, 15),
                          QPoint(12, 19), QPoint(15, 19), QPoint(20, 15), QPoint(26, 9)});
  painter.setPen(gray);
  painter.setBrush(white);
  painter.drawPolygon(feather);
  painter.setPen(silver);
  painter.drawLine(28, 3, 14, 18);
  painter.setPen(black);
  painter.drawLine(13, 19, 10, 23);
  painter.drawLine(14, 19, 11, 23);
  painter.end();
  return pixmap;
}

}  // namespace orvane::window
