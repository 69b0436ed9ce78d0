// SPDX-License-Identifier: MIT
#include "app/headless_controls.h"

namespace vumbrel {

using Lock = std::lock_guard<std::mutex>;

std::string HeadlessControls::pageAddress() {
  Lock lock(mutex_);
  return pageAddress_;
}

void HeadlessControls::setPageAddress(const std::string& text) {
  Lock lock(mutex_);
  pageAddress_ = text;
}

std::string HeadlessControls::saveFolder() {
  Lock lock(mutex_);
  return saveFolder_;
}

void HeadlessControls::setSaveFolder(const std::string& text) {
  Lock lock(mutex_);
  saveFolder_ = text;
}

void HeadlessControls::setResolveEnabled(bool enabled) {
  Lock lock(mutex_);
  resolveEnabled_ = enabled;
}

bool HeadlessControls::addTasksTicked() {
  Lock lock(mutex_);
  return addTasks_;
}

bool HeadlessControls::autoDownloadTicked() {
  Lock lock(mutex_);
  return autoDownload_;
}

void HeadlessControls::setMonitorPeriod(int milliseconds) {
  Lock lock(mutex_);
  if (milliseconds < 0) milliseconds = 0;
  if (milliseconds == monitorPeriod_) return;
  monitorPeriod_ = milliseconds;
  if (milliseconds > 0) ++monitorStarts_;
}

void HeadlessControls::setStatusText(int part, const std::string& text) {
  Lock lock(mutex_);
  if (part >= 0 && part < static_cast<int>(status_.size())) status_[part] = text;
}

std::string HeadlessControls::clipboardText() {
  Lock lock(mutex_);
  return clipboard_;
}

int HeadlessControls::rowCount() {
  Lock lock(mutex_);
  return list_.rowCount();
}

int HeadlessControls::appendRow() {
  Lock lock(mutex_);
  return list_.appendRow();
}

void HeadlessControls::deleteAllRows() {
  Lock lock(mutex_);
  list_.deleteAllRows();
}

int HeadlessControls::rowState(int row) {
  Lock lock(mutex_);
  return list_.rowState(row);
}

void HeadlessControls::setRowState(int row, int state) {
  Lock lock(mutex_);
  list_.setRowState(row, state);
}

std::string HeadlessControls::cellText(int row, int column) {
  Lock lock(mutex_);
  return list_.cellText(row, column);
}

void HeadlessControls::setCellText(int row, int column, const std::string& text) {
  Lock lock(mutex_);
  list_.setCellText(row, column, text);
}

int HeadlessControls::currentRow() {
  Lock lock(mutex_);
  return list_.currentRow();
}

void HeadlessControls::setCurrentRow(int row) {
  Lock lock(mutex_);
  list_.setCurrentRow(row);
}

void HeadlessControls::setClipboardText(const std::string& text) {
  Lock lock(mutex_);
  clipboard_ = text;
}

void HeadlessControls::setAddTasksTicked(bool ticked) {
  Lock lock(mutex_);
  addTasks_ = ticked;
}

void HeadlessControls::setAutoDownloadTicked(bool ticked) {
  Lock lock(mutex_);
  autoDownload_ = ticked;
}

bool HeadlessControls::resolveEnabled() {
  Lock lock(mutex_);
  return resolveEnabled_;
}

int HeadlessControls::monitorPeriod() {
  Lock lock(mutex_);
  return monitorPeriod_;
}

int HeadlessControls::monitorStarts() {
  Lock lock(mutex_);
  return monitorStarts_;
}

std::string HeadlessControls::statusText(int part) {
  Lock lock(mutex_);
  return part >= 0 && part < static_cast<int>(status_.size()) ? status_[part] : std::string();
}

std::vector<TaskRow> HeadlessControls::rows() {
  Lock lock(mutex_);
  return list_.rows();
}

}  // namespace vumbrel
