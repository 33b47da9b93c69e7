// SPDX-License-Identifier: MIT
#include "ui/qt/main_window.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QWindowStateChangeEvent>
#include <tuple>
#include <utility>

#include "core/version.h"
#include "ui/dialog_ids.h"
#include "ui/qt/choosers.h"
#include "ui/qt/event_window.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/separator.h"
#include "ui/qt/settings_dialog.h"
#include "ui/qt/text_editor.h"
#include "ui/qt/window_placement.h"
#include "ui/text_fit.h"
#include "ui/window_rect_store.h"
#include "ui/window_texts.h"

namespace tvr::ui::qt {
namespace {

// The status bar's first part ends 300 pixels from the left, as on Windows.
constexpr int kFirstPartWidth = 300;

}  // namespace

MainWindow::MainWindow(std::u16string settingsPath, std::u16string executableFolder, ControllerOptions options)
    : executableFolder_(executableFolder),
      model_(std::move(settingsPath), *this, std::move(executableFolder), options) {
    setWindowTitle(toQString(u"TamvikVR Server Ver" + std::u16string(core::kAppVersion)));
    setWindowIcon(QIcon(QStringLiteral(":/tamvikvr/app.ico")));
    build();
    connect(&tick_, &QTimer::timeout, this, [this] { model_.tick(); });
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::commandButton(const QString& text, int id) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::number(id));
    connect(button, &QPushButton::clicked, this, [this, id] { model_.onControl(id); });
    return button;
}

void MainWindow::build() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(translated(u"チャンネル")));
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const ChannelRowIds& ids = kChannelRowIds[i];
        Row& row = rows_[i];
        int line = static_cast<int>(i);
        row.type = new QComboBox;
        row.type->setObjectName(QString::number(ids.type));
        for (std::u16string_view name : channelTypeNames()) row.type->addItem(toQString(name));
        row.path = new QLineEdit;
        row.path->setObjectName(QString::number(ids.path));
        row.path->setMinimumWidth(240);
        row.folder = commandButton(translated(u"フォル"), ids.folder);
        row.edit = commandButton(translated(u"編集"), ids.edit);
        grid->addWidget(new QLabel(QString::number(line + 1)), line, 0, Qt::AlignRight);
        grid->addWidget(row.type, line, 1);
        grid->addWidget(row.path, line, 2);
        grid->addWidget(row.folder, line, 3);
        grid->addWidget(row.edit, line, 4);
        connect(row.type, &QComboBox::currentIndexChanged, this,
                [this, id = ids.type] { model_.onControl(id, kNotifySelectionChanged); });
        connect(row.path, &QLineEdit::returnPressed, this, [this] { model_.run(Command::Enter); });
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addWidget(
        new QLabel(translated(u"※ コンボボックスで「PCフォルダ」を選択し、右のボタンで目的のフォルダを指定します。")));
    layout->addWidget(
        new QLabel(translated(u"※ プレイリストを使うと 一つのチェンネルに複数のフォルダを登録できます。")));
    layout->addWidget(separator());

    auto* addressLine = new QHBoxLayout;
    addressLine->addWidget(new QLabel(translated(u"サーバーアドレス")));
    address_ = new QLineEdit;
    address_->setObjectName(QString::number(IDC_ADDRESS));
    address_->setReadOnly(true);
    address_->setMaximumWidth(160);
    addressLine->addWidget(address_);
    addressLine->addStretch(1);
    layout->addLayout(addressLine);

    auto* mouseLine = new QHBoxLayout;
    for (auto [text, key, id] : {std::tuple{u"マウス ON", u"C+S+A+KEY[M]", IDC_MOUSE_ON},
                                 std::tuple{u"マウス OFF", u"C+S+A+KEY[D]", IDC_MOUSE_OFF}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(commandButton(translated(text), id));
        column->addWidget(new QLabel(toQString(key)));
        mouseLine->addLayout(column);
    }
    auto* disconnect = commandButton(translated(u"強制 切断\nC+S+A+KEY[S]"), IDC_DISCONNECT);
    disconnect->setMinimumHeight(44);
    mouseLine->addWidget(disconnect);
    mouseLine->addStretch(1);
    layout->addLayout(mouseLine);
    layout->addWidget(separator());

    auto* buttons = new QHBoxLayout;
    QPushButton* refresh = commandButton(translated(u"情報更新"), IDC_REFRESH);
    refresh->hide();
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    for (auto [text, id] :
         {std::pair{u"設定", IDC_SETTINGS}, std::pair{u"適用", IDC_APPLY}, std::pair{u"終了", IDC_QUIT}})
        buttons->addWidget(commandButton(translated(text), id));
    layout->addLayout(buttons);
    setCentralWidget(central);

    for (std::size_t i = 0; i < statusParts_.size(); ++i) {
        statusParts_[i] = new QLabel;
        statusParts_[i]->setObjectName(QStringLiteral("status%1").arg(i));
        // A double-click anywhere on the status bar opens the event window.
        statusParts_[i]->installEventFilter(this);
    }
    statusParts_[0]->setFixedWidth(kFirstPartWidth);
    statusParts_[1]->setMinimumWidth(1);
    statusBar()->addWidget(statusParts_[0]);
    statusBar()->addWidget(statusParts_[1], 1);
    statusBar()->installEventFilter(this);
    statusBar()->setToolTip(toQString(text(TextId::StatusBarHint)));
    // The event window from the keyboard, wherever the focus is in the window.
    auto* events = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(events, &QShortcut::activated, this, [this] { model_.run(Command::ShowEvents); });

    tray_ = new QSystemTrayIcon(QIcon(QStringLiteral(":/tamvikvr/tray.ico")), this);
    trayMenu_ = new QMenu(this);
    for (auto [textId, id] :
         {std::pair{TextId::TrayShowWindow, IDM_TRAY_SHOW}, std::pair{TextId::TrayShowEvents, IDM_TRAY_EVENTS},
          std::pair{TextId::TrayQuit, IDM_TRAY_QUIT}})
        connect(trayMenu_->addAction(toQString(text(textId))), &QAction::triggered, this,
                [this, id] { model_.onControl(id); });
    tray_->setContextMenu(trayMenu_);
    // Most Linux trays report a single click as Trigger, where Windows users double-click.
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            model_.run(Command::ShowWindow);
    });
}

void MainWindow::start() {
    model_.start();
    tick_.start(Controller::kTickMs);
    adjustSize();
    rect_ = loadWindowRect(controller().settings().path(), kMainWindowSection);
    placeWindow(*this, nullptr, rect_);
}

void MainWindow::showAddress(std::u16string_view address) { address_->setText(toQString(address)); }

void MainWindow::showStatusPart(int part, std::u16string_view text) {
    QLabel* label = statusPart(part);
    QString hint = toQString(ui::text(TextId::StatusBarHint));
    label->setToolTip(text.empty() ? hint : toQString(text) + QLatin1Char('\n') + hint);
    fitStatus(part);
}

void MainWindow::fitStatus(int part) {
    QLabel* label = statusPart(part);
    const int room = label->contentsRect().width();
    const QFontMetrics metrics = label->fontMetrics();
    // Before the first layout the label has no width yet: it is fitted again on resize.
    auto fits = [&](std::u16string_view text) {
        return room <= 1 || metrics.horizontalAdvance(toQString(text)) <= room;
    };
    label->setText(toQString(fitAtWord(model_.statusText(part), fits)));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    // The labels take their new width after this event.
    QTimer::singleShot(0, this, [this] {
        fitStatus(0);
        fitStatus(1);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) model_.run(Command::ShowEvents);
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showTrayTooltip(std::u16string_view text) { tray_->setToolTip(toQString(text)); }

void MainWindow::alert(std::u16string_view title, std::u16string_view text) {
    // Not modal: the window and the services run on while the box is shown.
    auto* box = new QMessageBox(QMessageBox::Critical, toQString(title), toQString(text), QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void MainWindow::showEventWindow() {
    if (events_ == nullptr) events_ = new EventWindow(model_.events(), this);
    events_->open(*this);
}

void MainWindow::eventsAdded() {
    if (events_ != nullptr) events_->update();
}

ChannelRows MainWindow::rows() {
    ChannelRows rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].typeName = rows_[i].type->currentIndex() < 0 ? u"" : fromQString(rows_[i].type->currentText());
        rows[i].path = fromQString(rows_[i].path->text());
    }
    return rows;
}

void MainWindow::showRows(const ChannelRows& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows_[i].path->setText(toQString(rows[i].path));
        rows_[i].type->setCurrentIndex(rows[i].typeName.empty() ? -1
                                                                : rows_[i].type->findText(toQString(rows[i].typeName)));
    }
}

void MainWindow::enableRow(int row, const RowEnabling& enabling) {
    const Row& controls = rows_[static_cast<std::size_t>(row)];
    controls.path->setEnabled(enabling.pathEdit);
    controls.folder->setEnabled(enabling.folderButton);
    controls.edit->setEnabled(enabling.editButton);
}

void MainWindow::setRowPath(int row, std::u16string_view path) {
    rows_[static_cast<std::size_t>(row)].path->setText(toQString(path));
}

bool MainWindow::runSettingsDialog() {
    return qt::runSettingsDialog(
        controller(), executableFolder_, this,
        [this](std::u16string_view path, EditorOutcome outcome) { model_.reportEdit(path, outcome); });
}

std::optional<std::u16string> MainWindow::chooseListFile(const ListFileStart& start) {
    return qt::chooseListFile(this, start);
}

std::optional<std::u16string> MainWindow::chooseFolder(std::u16string_view start) {
    return qt::chooseFolder(this, start);
}

EditorOutcome MainWindow::openInEditor(std::u16string_view path) { return qt::openInEditor(path); }

void MainWindow::showFromTray() {
    tray_->hide();
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::closeWindow() { close(); }

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized()) return;
    // The rectangle of the normal window, before it went to the task bar or the tray.
    if ((static_cast<QWindowStateChangeEvent*>(event)->oldState() & (Qt::WindowMinimized | Qt::WindowMaximized)) == 0)
        rect_ = outerRect(*this);
    // Without a tray to come back from, the window minimises as any other does.
    if (QSystemTrayIcon::isSystemTrayAvailable()) QTimer::singleShot(0, this, [this] { minimiseToTray(); });
}

void MainWindow::minimiseToTray() {
    if (!isMinimized()) return;
    tray_->show();
    hide();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (model_.closed()) return;
    currentRect(*this, &rect_);
    tick_.stop();
    model_.close(rect_);
    tray_->hide();
    if (events_ != nullptr) events_->close();
    if (onClosed_) onClosed_();
}

}  // namespace tvr::ui::qt
