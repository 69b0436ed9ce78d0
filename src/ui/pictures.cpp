// SPDX-License-Identifier: MIT
#include "pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace vumbrel::ui {
namespace {

constexpr QRectF kBadge(3, 1, 18, 18);  // centred in 22 x 20, leaves a margin

QPixmap blank(QSize size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QPen whitePen(qreal width) {
  return QPen(Qt::white, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPixmap play() {
  QPixmap p = blank(kRowPictureSize);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x1e, 0x7d, 0x32), 1));
  g.setBrush(QColor(0x43, 0xa0, 0x47));
  g.drawEllipse(kBadge.adjusted(0.5, 0.5, -0.5, -0.5));
  g.setPen(Qt::NoPen);
  g.setBrush(Qt::white);
  g.drawPolygon(QPolygonF({QPointF(9.5, 5.5), QPointF(16, 10), QPointF(9.5, 14.5)}));
  g.end();
  return p;
}

QPixmap pause() {
  QPixmap p = blank(kRowPictureSize);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x15, 0x65, 0xc0), 1));
  g.setBrush(QColor(0x1e, 0x88, 0xe5));
  g.drawEllipse(kBadge.adjusted(0.5, 0.5, -0.5, -0.5));
  g.setPen(Qt::NoPen);
  g.setBrush(Qt::white);
  g.drawRect(QRectF(8.5, 5.5, 2.5, 9));
  g.drawRect(QRectF(13, 5.5, 2.5, 9));
  g.end();
  return p;
}

QPixmap cross() {
  QPixmap p = blank(kRowPictureSize);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0xd3, 0x2f, 0x2f), 3.2, Qt::SolidLine, Qt::RoundCap));
  g.drawLine(QPointF(6, 4), QPointF(17, 16));
  g.drawLine(QPointF(17, 4), QPointF(6, 16));
  g.end();
  return p;
}

QPixmap tick() {
  QPixmap p = blank(kRowPictureSize);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x15, 0x65, 0xc0), 1));
  g.setBrush(QColor(0x1e, 0x88, 0xe5));
  g.drawRoundedRect(kBadge.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  g.setPen(whitePen(2.4));
  g.setBrush(Qt::NoBrush);
  g.drawPolyline(QPolygonF({QPointF(7.5, 10.5), QPointF(10.5, 13.5), QPointF(16, 6.5)}));
  g.end();
  return p;
}

QPixmap clock() {
  QPixmap p = blank(kRowPictureSize);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0xe6, 0x8a, 0x00), 1));
  g.setBrush(QColor(0xff, 0xb3, 0x00));
  g.drawRoundedRect(kBadge.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  g.setPen(whitePen(1.6));
  g.setBrush(Qt::NoBrush);
  g.drawEllipse(QPointF(12, 10), 5.5, 5.5);
  g.setPen(whitePen(2));
  g.drawPolyline(QPolygonF({QPointF(12, 6.5), QPointF(12, 10), QPointF(14.5, 11.5)}));
  g.end();
  return p;
}

}  // namespace

std::vector<QPixmap> rowPictures() { return {play(), pause(), cross(), tick(), clock()}; }

QIcon programIcon() {
  QPixmap p = blank(QSize(32, 32));
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(QColor(0x0d, 0x47, 0xa1), 1));
  g.setBrush(QColor(0x19, 0x76, 0xd2));
  g.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
  g.setPen(Qt::NoPen);
  g.setBrush(Qt::white);
  QPainterPath arrow;
  arrow.addPolygon(QPolygonF({QPointF(13, 6), QPointF(19, 6), QPointF(19, 14), QPointF(24, 14),
                              QPointF(16, 22), QPointF(8, 14), QPointF(13, 14)}));
  arrow.closeSubpath();
  g.drawPath(arrow);
  g.drawRect(QRectF(7, 24, 18, 2.5));
  g.end();
  return QIcon(p);
}

}  // namespace vumbrel::ui
