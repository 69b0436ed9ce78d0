// SPDX-License-Identifier: MIT
#include "flat_style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QStyleOption>

namespace vumbrel::ui {
namespace {

// The colours of scheme 2: a light blue-grey face with a steel-blue edge.
const QColor kFace(0xe9, 0xee, 0xf5);
const QColor kFaceHover(0xf3, 0xf6, 0xfb);
const QColor kFacePressed(0xcf, 0xdb, 0xec);
const QColor kEdge(0x7f, 0x9d, 0xc4);
const QColor kEdgeFocus(0x33, 0x66, 0xb0);
const QColor kMark(0x1f, 0x4e, 0x8c);
const QColor kDisabled(0xa0, 0xa0, 0xa0);

QColor faceFor(const QStyleOption* o) {
  if (!(o->state & QStyle::State_Enabled)) return kFace;
  if (o->state & (QStyle::State_Sunken | QStyle::State_On)) return kFacePressed;
  if (o->state & QStyle::State_MouseOver) return kFaceHover;
  return kFace;
}

QColor edgeFor(const QStyleOption* o) {
  if (!(o->state & QStyle::State_Enabled)) return kDisabled;
  return (o->state & QStyle::State_HasFocus) ? kEdgeFocus : kEdge;
}

void flatBox(QPainter* p, const QRect& r, const QColor& fill, const QColor& edge) {
  p->save();
  p->setPen(edge);
  p->setBrush(fill);
  p->drawRect(r.adjusted(0, 0, -1, -1));
  p->restore();
}

void arrow(QPainter* p, const QRect& r, bool up, const QColor& colour) {
  const QPoint c = r.center();
  const int d = up ? -1 : 1;
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->setPen(Qt::NoPen);
  p->setBrush(colour);
  p->drawPolygon(QPolygon({QPoint(c.x() - 3, c.y() - d * 2), QPoint(c.x() + 4, c.y() - d * 2),
                           QPoint(c.x() + 0, c.y() + d * 2)}));
  p->restore();
}

}  // namespace

// Wraps the platform's own style, whatever style the application has now.
FlatStyle::FlatStyle() : QProxyStyle(nullptr) {}

void FlatStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
  switch (element) {
    case PE_PanelButtonCommand:
      flatBox(painter, option->rect, faceFor(option), edgeFor(option));
      return;
    case PE_FrameFocusRect:
      if (qobject_cast<const QAbstractButton*>(widget)) return;  // the edge shows the focus
      break;
    case PE_IndicatorCheckBox: {
      flatBox(painter, option->rect, Qt::white, edgeFor(option));
      if (option->state & (State_On | State_NoChange)) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(option->state & State_Enabled ? kMark : kDisabled, 2));
        const QRectF r = QRectF(option->rect).adjusted(3, 3, -3, -3);
        painter->drawPolyline(QPolygonF({QPointF(r.left(), r.center().y()),
                                         QPointF(r.left() + r.width() * 0.4, r.bottom()),
                                         QPointF(r.right(), r.top())}));
        painter->restore();
      }
      return;
    }
    case PE_IndicatorRadioButton: {
      painter->save();
      painter->setRenderHint(QPainter::Antialiasing);
      painter->setPen(edgeFor(option));
      painter->setBrush(Qt::white);
      painter->drawEllipse(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5));
      if (option->state & State_On) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(kMark);
        painter->drawEllipse(QRectF(option->rect).adjusted(4, 4, -4, -4));
      }
      painter->restore();
      return;
    }
    case PE_FrameGroupBox:
      flatBox(painter, option->rect, Qt::transparent, kEdge);
      return;
    case PE_PanelLineEdit:
      flatBox(painter, option->rect, option->palette.base().color(), edgeFor(option));
      return;
    case PE_FrameLineEdit:
      flatBox(painter, option->rect, Qt::transparent, edgeFor(option));
      return;
    default:
      break;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void FlatStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
  const QColor mark = option->state & State_Enabled ? kMark : kDisabled;
  if (control == CC_ComboBox) {
    const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
    const QColor fill = combo && combo->editable ? option->palette.base().color() : kFace;
    flatBox(painter, option->rect, fill, edgeFor(option));
    const QRect button = subControlRect(control, option, SC_ComboBoxArrow, widget);
    flatBox(painter, button, faceFor(option), edgeFor(option));
    arrow(painter, button, false, mark);
    return;
  }
  if (control == CC_SpinBox) {
    flatBox(painter, option->rect, option->palette.base().color(), edgeFor(option));
    for (SubControl part : {SC_SpinBoxUp, SC_SpinBoxDown}) {
      const QRect r = subControlRect(control, option, part, widget);
      const bool pressed = (option->activeSubControls & part) && (option->state & State_Sunken);
      flatBox(painter, r, pressed ? kFacePressed : kFace, kEdge);
      arrow(painter, r, part == SC_SpinBoxUp, mark);
    }
    return;
  }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void applySkinScheme2() {
  // QApplication deletes the style it replaces, so an earlier skin goes first.
  QApplication::setStyle(new FlatStyle);
}

}  // namespace vumbrel::ui
