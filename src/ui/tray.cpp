// SPDX-License-Identifier: MIT
#include "tray.h"

#include <QVariant>

#include "gbk_text.h"
#include "window_texts.h"

namespace vumbrel::ui {

int trayEventCode(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return 1;
    case QSystemTrayIcon::DoubleClick:
      return 2;
    case QSystemTrayIcon::Context:
      return 3;
    default:
      return 0;
  }
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {
  icon_->setProperty("trayId", QVariant(kTrayIconId));
  connect(icon_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            if (const int code = trayEventCode(reason)) emit trayEvent(code);
          });
}

void TrayIcon::add(const QIcon& icon, const QString& tooltip) {
  icon_->setIcon(icon);
  icon_->setToolTip(fromGbk(cutGbk(toGbk(tooltip), kTrayTipBytes)));
  // Without a tray this shows nothing; the window still hides when minimised.
  if (QSystemTrayIcon::isSystemTrayAvailable()) icon_->show();
  added_ = true;
}

void TrayIcon::remove() {
  icon_->hide();
  added_ = false;
}

}  // namespace vumbrel::ui
