// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/task_list.h"

namespace vumbrel {

// The window's controls without a window: a TaskList and the few control
// values behind one lock, so that any thread may call any operation and each
// call is atomic. Tests and benchmarks drive the whole system through it; the
// test accessors below set what a user would set and read what a user would see.
class HeadlessControls : public Controls {
 public:
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

  // What a user sets.
  void setClipboardText(const std::string& text);
  void setAddTasksTicked(bool ticked);
  void setAutoDownloadTicked(bool ticked);

  // What a user sees.
  bool resolveEnabled();
  int monitorPeriod();
  // How often the timer was started or restarted (a period change to > 0).
  int monitorStarts();
  // The text of status part 0..2; empty for any other index.
  std::string statusText(int part);
  std::vector<TaskRow> rows();

 private:
  std::mutex mutex_;
  TaskList list_;
  std::string pageAddress_;
  std::string saveFolder_;
  std::string clipboard_;
  bool resolveEnabled_ = true;
  bool addTasks_ = false;
  bool autoDownload_ = false;
  int monitorPeriod_ = 0;
  int monitorStarts_ = 0;
  std::array<std::string, 3> status_;
};

}  // namespace vumbrel
