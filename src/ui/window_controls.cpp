// SPDX-License-Identifier: MIT
// The control operations of the main window, each carried onto the window's
// thread.
#include <QClipboard>
#include <QGuiApplication>

#include "app/task_list.h"
#include "gbk_text.h"
#include "main_window.h"

namespace vumbrel::ui {

std::string MainWindow::pageAddress() {
  return thread_.call(std::string(), [this] { return toGbk(pageEdit_->text()); });
}

void MainWindow::setPageAddress(const std::string& text) {
  thread_.call([this, &text] { pageEdit_->setText(fromGbk(text)); });
}

std::string MainWindow::saveFolder() {
  return thread_.call(std::string(), [this] { return toGbk(folderEdit_->text()); });
}

void MainWindow::setSaveFolder(const std::string& text) {
  thread_.call([this, &text] { folderEdit_->setText(fromGbk(text)); });
}

void MainWindow::setResolveEnabled(bool enabled) {
  thread_.call([this, enabled] { resolveButton_->setEnabled(enabled); });
}

bool MainWindow::addTasksTicked() {
  return thread_.call(false, [this] { return addTasks_->checkState() == Qt::Checked; });
}

bool MainWindow::autoDownloadTicked() {
  return thread_.call(false, [this] { return autoDownload_->checkState() == Qt::Checked; });
}

void MainWindow::setMonitorPeriod(int milliseconds) {
  thread_.call([this, milliseconds] {
    const int period = milliseconds < 0 ? 0 : milliseconds;
    if (period == period_) return;  // a running timer keeps its rhythm
    period_ = period;
    timer_->stop();
    if (period > 0) timer_->start(period);
  });
}

void MainWindow::setStatusText(int part, const std::string& text) {
  thread_.call([this, part, &text] { statusBar_->setPartText(part, fromGbk(text)); });
}

std::string MainWindow::clipboardText() {
  return thread_.call(std::string(), [] { return toGbk(QGuiApplication::clipboard()->text()); });
}

int MainWindow::rowCount() {
  return thread_.call(0, [this] { return list_->rowCount(); });
}

int MainWindow::appendRow() {
  return thread_.call(NoRow, [this] { return list_->appendRow(); });
}

void MainWindow::deleteAllRows() {
  thread_.call([this] { list_->deleteAllRows(); });
}

int MainWindow::rowState(int row) {
  return thread_.call(0, [this, row] { return list_->rowState(row); });
}

void MainWindow::setRowState(int row, int state) {
  thread_.call([this, row, state] { list_->setRowState(row, state); });
}

std::string MainWindow::cellText(int row, int column) {
  return thread_.call(std::string(),
                      [this, row, column] { return toGbk(list_->cellText(row, column)); });
}

void MainWindow::setCellText(int row, int column, const std::string& text) {
  thread_.call([this, row, column, &text] { list_->setCellText(row, column, fromGbk(text)); });
}

int MainWindow::currentRow() {
  return thread_.call(NoRow, [this] { return list_->currentRow(); });
}

void MainWindow::setCurrentRow(int row) {
  thread_.call([this, row] { list_->setCurrentRow(row); });
}

}  // namespace vumbrel::ui
