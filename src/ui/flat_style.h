// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>

namespace vumbrel::ui {

// Skin scheme 2: push buttons, check boxes, radio buttons, group boxes, edit
// boxes, combo boxes and spin boxes drawn flat in the scheme's colours.
// Everything else (list views, tabs, the status bar) is left to the system
// style it wraps.
class FlatStyle : public QProxyStyle {
  Q_OBJECT
 public:
  FlatStyle();

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;
};

// Applies skin scheme 2 to every window of the application, present and
// future, replacing any skin applied before.
void applySkinScheme2();

}  // namespace vumbrel::ui
