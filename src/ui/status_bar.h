// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

namespace vumbrel::ui {

// The status bar 状态条1: three sunken parts ending at x = 330, 710 and 790;
// the space right of 790 belongs to no part. No size grip.
class PartStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  static constexpr int kPartCount = 3;
  static constexpr std::array<int, kPartCount> kRightEdges{330, 710, 790};

  explicit PartStatusBar(QWidget* parent = nullptr);

  // Any index outside 0..2 does nothing.
  void setPartText(int part, const QString& text);
  QString partText(int part) const;
  QLabel* part(int index) const { return parts_[index]; }
  // The standard height of the bar for its font.
  int standardHeight() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::array<QLabel*, kPartCount> parts_{};
};

}  // namespace vumbrel::ui
