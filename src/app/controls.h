// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace vumbrel {

// The operations that the logic performs on the main window. All texts are
// GBK byte strings. The Qt window carries every call onto the window's thread
// while the caller waits (a direct call when already on it); the headless
// implementation serialises calls with a lock. Either way each call, and so
// each single task-list operation, is atomic.
//
// Callers never hold a lock of the shared state while calling one of these:
// from a worker thread a call waits for the window's thread.
class Controls {
 public:
  virtual ~Controls() = default;

  // 编辑框2: the page address.
  virtual std::string pageAddress() = 0;
  virtual void setPageAddress(const std::string& text) = 0;
  // 编辑框3: the save folder.
  virtual std::string saveFolder() = 0;
  virtual void setSaveFolder(const std::string& text) = 0;
  // 按钮3: the one-click resolve button.
  virtual void setResolveEnabled(bool enabled) = 0;
  // 选择框3 "增加任务" and 选择框1 "自动下载": true only when ticked.
  virtual bool addTasksTicked() = 0;
  virtual bool autoDownloadTicked() = 0;
  // 时钟5: period in milliseconds, 0 stopped. A negative period sets 0; the
  // period it already has changes nothing (a running timer keeps its rhythm);
  // another period restarts it, the first tick one new period later.
  virtual void setMonitorPeriod(int milliseconds) = 0;
  // 状态条1: the text of part 0..2; any other index does nothing.
  virtual void setStatusText(int part, const std::string& text) = 0;
  // The clipboard's text, empty when it holds none.
  virtual std::string clipboardText() = 0;

  // 超级列表框1: the task-list operations (see TaskList).
  virtual int rowCount() = 0;
  virtual int appendRow() = 0;
  virtual void deleteAllRows() = 0;
  virtual int rowState(int row) = 0;
  virtual void setRowState(int row, int state) = 0;
  virtual std::string cellText(int row, int column) = 0;
  virtual void setCellText(int row, int column, const std::string& text) = 0;
  virtual int currentRow() = 0;
  virtual void setCurrentRow(int row) = 0;
};

}  // namespace vumbrel
