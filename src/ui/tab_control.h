// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QTabWidget>
#include <QWidget>

namespace vumbrel::ui {

// The tab control 选择夹1 with its one page. Controls on the page are placed
// relative to the tab control itself (tab strip included), as the window's
// layout gives them; they stay there whenever the tab control lays its page
// out again.
class TabControl : public QTabWidget {
  Q_OBJECT
 public:
  explicit TabControl(const QString& pageCaption, QWidget* parent = nullptr);

  QWidget* page() const { return page_; }
  // Places `control` (a child of page()) at `geometry` in tab-control coordinates.
  void place(QWidget* control, const QRect& geometry);

 protected:
  bool event(QEvent* event) override;

 private:
  void placeAll();

  QWidget* page_;
};

}  // namespace vumbrel::ui
