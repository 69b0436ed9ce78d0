// SPDX-License-Identifier: MIT
#include "status_bar.h"

#include <algorithm>

namespace vumbrel::ui {

PartStatusBar::PartStatusBar(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  setFocusPolicy(Qt::NoFocus);
  // The parts are placed by hand, not through QStatusBar's layout, so their
  // edges stay where they belong whatever the style's spacing.
  for (int i = 0; i < kPartCount; ++i) {
    auto* label = new QLabel(this);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setIndent(2);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    parts_[i] = label;
  }
  setFixedHeight(standardHeight());
}

int PartStatusBar::standardHeight() const { return std::max(22, fontMetrics().height() + 8); }

void PartStatusBar::setPartText(int part, const QString& text) {
  if (part >= 0 && part < kPartCount) parts_[part]->setText(text);
}

QString PartStatusBar::partText(int part) const {
  return part >= 0 && part < kPartCount ? parts_[part]->text() : QString();
}

void PartStatusBar::resizeEvent(QResizeEvent* event) {
  QStatusBar::resizeEvent(event);
  int left = 0;
  for (int i = 0; i < kPartCount; ++i) {
    parts_[i]->setGeometry(left, 2, kRightEdges[i] - left, height() - 2);
    left = kRightEdges[i];
  }
}

}  // namespace vumbrel::ui
