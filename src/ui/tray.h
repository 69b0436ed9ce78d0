// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

namespace vumbrel::ui {

// The tray event code of a tray activation: 1 left click (released),
// 2 double click, 3 right click or context key; 0 for anything else, which
// raises no tray event.
int trayEventCode(QSystemTrayIcon::ActivationReason reason);

// The window's one icon in the notification area (identifier 100). Where the
// desktop has no tray the icon simply never shows and no event comes.
class TrayIcon : public QObject {
  Q_OBJECT
 public:
  explicit TrayIcon(QObject* parent = nullptr);

  // Adds the icon with its picture and tooltip (cut to 62 GBK bytes).
  void add(const QIcon& icon, const QString& tooltip);
  void remove();
  bool added() const { return added_; }
  QSystemTrayIcon* icon() const { return icon_; }

 signals:
  void trayEvent(int code);

 private:
  QSystemTrayIcon* icon_;
  bool added_ = false;
};

}  // namespace vumbrel::ui
