// SPDX-License-Identifier: MIT
#include "tab_control.h"

#include <QEvent>
#include <QTabBar>
#include <QVariant>

namespace vumbrel::ui {
namespace {
constexpr char kPlace[] = "vumbrelPlace";
}

TabControl::TabControl(const QString& pageCaption, QWidget* parent)
    : QTabWidget(parent), page_(new QWidget) {
  setTabPosition(QTabWidget::North);
  setFocusPolicy(Qt::NoFocus);
  tabBar()->setFocusPolicy(Qt::NoFocus);
  tabBar()->setExpanding(false);
  page_->setObjectName(QStringLiteral("page0"));
  addTab(page_, pageCaption);
  setCurrentIndex(0);
}

void TabControl::place(QWidget* control, const QRect& geometry) {
  control->setProperty(kPlace, geometry);
  control->setGeometry(geometry.translated(-page_->mapTo(this, QPoint(0, 0))));
}

bool TabControl::event(QEvent* e) {
  const bool handled = QTabWidget::event(e);
  switch (e->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::LayoutRequest:
    case QEvent::Polish:
      placeAll();
      break;
    default:
      break;
  }
  return handled;
}

void TabControl::placeAll() {
  const QPoint offset = page_->mapTo(this, QPoint(0, 0));
  for (QObject* child : page_->children()) {
    auto* w = qobject_cast<QWidget*>(child);
    if (!w) continue;
    const QVariant where = w->property(kPlace);
    if (where.isValid()) w->setGeometry(where.toRect().translated(-offset));
  }
}

}  // namespace vumbrel::ui
