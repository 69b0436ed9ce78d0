// SPDX-License-Identifier: MIT
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <string>

#include "app/controls.h"
#include "exit_processing.h"
#include "status_bar.h"
#include "tab_control.h"
#include "task_view.h"
#include "tray.h"
#include "window_hooks.h"
#include "window_thread.h"

namespace vumbrel::ui {

inline constexpr int kWindowWidth = 805;  // outer size, frame included
inline constexpr int kWindowHeight = 621;

// The main window. It implements the control operations: each one, from any
// thread, runs on the window's thread while the caller waits. Once the
// program has begun to end, they return at once (empty text, 0, false) and
// callers already waiting are released.
class MainWindow : public QWidget, public Controls {
  Q_OBJECT
 public:
  // Creates the window with every control, hidden. `exit` is the program's
  // exit processing, run once by quitProgram.
  MainWindow(WindowHooks hooks, ExitProcessing& exit);
  ~MainWindow() override;

  // Raises the created, position-changed and size-changed events, then shows
  // the window in the normal state.
  void load();

  // Controls
  std::string pageAddress() override;
  void setPageAddress(const std::string& text) override;
  std::string saveFolder() override;
  void setSaveFolder(const std::string& text) override;
  void setResolveEnabled(bool enabled) override;
  bool addTasksTicked() override;
  bool autoDownloadTicked() override;
  void setMonitorPeriod(int milliseconds) override;
  void setStatusText(int part, const std::string& text) override;
  std::string clipboardText() override;
  int rowCount() override;
  int appendRow() override;
  void deleteAllRows() override;
  int rowState(int row) override;
  void setRowState(int row, int state) override;
  std::string cellText(int row, int column) override;
  void setCellText(int row, int column, const std::string& text) override;
  int currentRow() override;
  void setCurrentRow(int row) override;

  // The event handlers, on the window's thread.
  void initMainWindow();
  void hideWhenMinimised();
  void showTrayMenu(int code);
  void showTaskMenu();
  void restoreMainWindow();
  void showContact();
  void chooseSaveFolder();
  void quitProgram();

  // For the program's wiring and for tests.
  int monitorPeriod() const { return period_; }
  bool quitting() const { return quitting_; }
  QMenu* taskMenu() const { return taskMenu_; }
  QMenu* trayMenu() const { return trayMenu_; }
  TrayIcon* tray() const { return tray_; }
  QTimer* monitorTimer() const { return timer_; }
  // Moves the window (frame included) to the centre of its screen.
  void centre();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void createControls();
  void createMenus();
  // Sizes the client area so that the frame's outer size is 805 x 621.
  void fitOuterSize();

  WindowHooks hooks_;
  ExitProcessing& exit_;
  WindowThread thread_;
  bool quitting_ = false;
  int period_ = 0;

  PartStatusBar* statusBar_ = nullptr;
  TabControl* tabs_ = nullptr;
  QCheckBox* addTasks_ = nullptr;
  TaskView* list_ = nullptr;
  QPushButton* resolveButton_ = nullptr;
  QCheckBox* autoDownload_ = nullptr;
  QPushButton* folderButton_ = nullptr;
  QLabel* folderLabel_ = nullptr;
  QLineEdit* folderEdit_ = nullptr;
  QLabel* pageLabel_ = nullptr;
  QLineEdit* pageEdit_ = nullptr;
  QMenu* taskMenu_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QTimer* timer_ = nullptr;
  TrayIcon* tray_ = nullptr;
};

}  // namespace vumbrel::ui
