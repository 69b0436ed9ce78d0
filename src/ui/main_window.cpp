// SPDX-License-Identifier: MIT
#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <limits>

#include "flat_style.h"
#include "pictures.h"
#include "window_texts.h"

namespace vumbrel::ui {
namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }

QString contactLine() { return utf8(kContactPrefix) + utf8(kContactNumber); }

// Sibling controls are stacked in creation order with the first on top, so
// each new control goes under the ones made before it.
template <class W>
W* stacked(W* widget, const char* name) {
  widget->setObjectName(utf8(name));
  widget->lower();
  return widget;
}

QLineEdit* editBox(QWidget* page, const char* name) {
  auto* edit = stacked(new QLineEdit(page), name);
  edit->setMaxLength(std::numeric_limits<int>::max());
  edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  edit->setFrame(true);
  QPalette colours = edit->palette();
  colours.setColor(QPalette::Base, Qt::white);
  colours.setColor(QPalette::Text, Qt::black);
  edit->setPalette(colours);
  return edit;
}

QLabel* label(QWidget* page, const char* name, const char* caption) {
  auto* l = stacked(new QLabel(utf8(caption), page), name);
  l->setFrameStyle(QFrame::Box | QFrame::Plain);
  l->setLineWidth(1);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  l->setFocusPolicy(Qt::NoFocus);
  l->setTextFormat(Qt::PlainText);
  return l;
}

QPushButton* pushButton(QWidget* page, const char* name, const char* caption) {
  auto* b = stacked(new QPushButton(utf8(caption), page), name);
  b->setAutoDefault(false);
  b->setDefault(false);
  b->setFocusPolicy(Qt::StrongFocus);
  return b;
}

QCheckBox* checkBox(QWidget* page, const char* name, const char* caption) {
  auto* c = stacked(new QCheckBox(utf8(caption), page), name);
  c->setFocusPolicy(Qt::StrongFocus);
  return c;
}

}  // namespace

MainWindow::MainWindow(WindowHooks hooks, ExitProcessing& exit)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      hooks_(std::move(hooks)),
      exit_(exit),
      thread_(this) {
  setWindowTitle(utf8(kCaptionHead) + contactLine());
  setWindowIcon(programIcon());
  setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Window);
  fitOuterSize();
  centre();
  createControls();
  createMenus();

  timer_ = new QTimer(this);
  timer_->setObjectName(utf8("时钟5"));
  timer_->setTimerType(Qt::CoarseTimer);
  connect(timer_, &QTimer::timeout, this, [this] {
    if (!quitting_ && hooks_.monitorTick) hooks_.monitorTick();
  });

  tray_ = new TrayIcon(this);
  connect(tray_, &TrayIcon::trayEvent, this, [this](int code) { showTrayMenu(code); });

  // The session ending and an event loop that ends by itself end the program
  // too; the clean-up still runs before the window goes.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { quitProgram(); });
  connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { quitProgram(); });
}

MainWindow::~MainWindow() { quitProgram(); }

void MainWindow::createControls() {
  statusBar_ = stacked(new PartStatusBar(this), "状态条1");
  statusBar_->setPartText(1, utf8(kSignatureHead) + contactLine());
  statusBar_->setPartText(2, utf8(kVersionText));

  tabs_ = stacked(new TabControl(utf8("Vumbrel"), this), "选择夹1");
  tabs_->setGeometry(8, 8, 776, 533);
  QWidget* page = tabs_->page();

  addTasks_ = checkBox(page, "选择框3", "增加任务");
  tabs_->place(addTasks_, QRect(584, 34, 80, 24));
  list_ = stacked(new TaskView(page), "超级列表框1");
  list_->setFocusPolicy(Qt::StrongFocus);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this] { showTaskMenu(); });
  tabs_->place(list_, QRect(10, 69, 744, 416));
  resolveButton_ = pushButton(page, "按钮3", "一键获取内容");
  connect(resolveButton_, &QPushButton::clicked, this, [this] {
    if (!quitting_ && hooks_.resolveClicked) hooks_.resolveClicked();
  });
  tabs_->place(resolveButton_, QRect(488, 35, 84, 22));
  autoDownload_ = checkBox(page, "选择框1", "自动下载");
  tabs_->place(autoDownload_, QRect(672, 35, 80, 24));
  folderButton_ = pushButton(page, "按钮5", "文件路径");
  connect(folderButton_, &QPushButton::clicked, this, [this] { chooseSaveFolder(); });
  tabs_->place(folderButton_, QRect(548, 497, 68, 29));
  folderLabel_ = label(page, "标签4", "文件保存路径：");
  tabs_->place(folderLabel_, QRect(17, 500, 84, 21));
  folderEdit_ = editBox(page, "编辑框3");
  tabs_->place(folderEdit_, QRect(104, 500, 444, 21));
  pageLabel_ = label(page, "标签1", "课程页面：");
  tabs_->place(pageLabel_, QRect(16, 36, 72, 24));
  pageEdit_ = editBox(page, "编辑框2");
  pageEdit_->setText(utf8(kSamplePageAddress));
  pageEdit_->setCursorPosition(0);
  tabs_->place(pageEdit_, QRect(88, 35, 392, 21));

  // Tab stops follow the stacking order.
  QWidget* stops[] = {addTasks_,     list_,       resolveButton_, autoDownload_,
                      folderButton_, folderEdit_, pageEdit_};
  for (size_t i = 1; i < std::size(stops); ++i) setTabOrder(stops[i - 1], stops[i]);
}

void MainWindow::createMenus() {
  taskMenu_ = new QMenu(utf8("菜单"), this);
  taskMenu_->setObjectName(utf8("菜单"));
  connect(taskMenu_->addAction(utf8("开始")), &QAction::triggered, this, [this] {
    if (!quitting_ && hooks_.startClicked) hooks_.startClicked();
  });
  connect(taskMenu_->addAction(utf8("停止")), &QAction::triggered, this, [this] {
    if (!quitting_ && hooks_.stopClicked) hooks_.stopClicked();
  });

  trayMenu_ = new QMenu(utf8("显示"), this);
  trayMenu_->setObjectName(utf8("显示"));
  connect(trayMenu_->addAction(utf8("显示窗口")), &QAction::triggered, this,
          [this] { restoreMainWindow(); });
  connect(trayMenu_->addAction(utf8("联系作者")), &QAction::triggered, this,
          [this] { showContact(); });
  connect(trayMenu_->addAction(utf8("退出程序")), &QAction::triggered, this,
          [this] { quitProgram(); });
}

void MainWindow::fitOuterSize() {
  // Qt sizes the client area; the frame is the platform's (none offscreen).
  const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
  const int width = kWindowWidth - frame.left() - frame.right();
  const int height = kWindowHeight - frame.top() - frame.bottom();
  if (size() != QSize(width, height)) setFixedSize(width, height);
  if (statusBar_) {
    const int bar = statusBar_->standardHeight();
    statusBar_->setGeometry(0, height - bar, width, bar);
  }
}

void MainWindow::centre() {
  const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!s) return;
  const QRect area = s->geometry();
  move(area.x() + (area.width() - kWindowWidth) / 2,
       area.y() + (area.height() - kWindowHeight) / 2);
}

void MainWindow::load() {
  initMainWindow();
  hideWhenMinimised();  // the position-changed event; size-changed has no handler
  fitOuterSize();
  showNormal();
}

void MainWindow::initMainWindow() {
  if (quitting_) return;
  folderEdit_->setText(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
  applySkinScheme2();
  tray_->add(programIcon(), utf8(kTrayTipHead) + contactLine());
}

void MainWindow::hideWhenMinimised() {
  if (quitting_) return;
  if (isMinimized() && isVisible()) hide();
}

void MainWindow::showTrayMenu(int code) {
  if (quitting_) return;
  if ((code == 1 || code == 2) && isMinimized()) trayMenu_->exec(QCursor::pos() + QPoint(3, 3));
}

void MainWindow::showTaskMenu() {
  if (quitting_) return;
  taskMenu_->exec(QCursor::pos());
}

void MainWindow::restoreMainWindow() {
  if (quitting_) return;
  // Straight back to normal: shown minimised first, the window would hide
  // itself again on the way.
  setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
  show();
  centre();
  raise();
  activateWindow();
}

void MainWindow::showContact() {
  if (quitting_) return;
  QMessageBox box(QMessageBox::NoIcon, utf8("联系作者"), contactLine(), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void MainWindow::chooseSaveFolder() {
  if (quitting_) return;
  const QString folder =
      QFileDialog::getExistingDirectory(QApplication::activeWindow(), utf8("文件保存路径"));
  if (quitting_) return;
  // A root keeps its trailing separator; a cancelled picker changes nothing.
  if (!folder.isEmpty()) folderEdit_->setText(QDir::toNativeSeparators(folder));
}

void MainWindow::quitProgram() {
  if (quitting_) return;
  quitting_ = true;
  tray_->remove();
  // From here on the logic's control calls return at once, also those that
  // are already waiting, so that no worker can hold up the clean-up.
  thread_.close();
  timer_->stop();
  exit_.run();
  QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  quitProgram();
  event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Reaches the window only when the focused control does not use the key.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  fitOuterSize();  // a window manager reports its frame only once it has framed us
  hideWhenMinimised();
}

void MainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Queued: showMinimized() makes the window visible again after this event.
  if (event->type() == QEvent::WindowStateChange)
    QMetaObject::invokeMethod(this, &MainWindow::hideWhenMinimised, Qt::QueuedConnection);
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  fitOuterSize();
}

}  // namespace vumbrel::ui
