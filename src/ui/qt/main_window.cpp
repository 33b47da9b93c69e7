// SPDX-License-Identifier: MIT
#include "ui/qt/main_window.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QWindowStateChangeEvent>
#include <tuple>
#include <utility>

#include "core/version.h"
#include "ui/dialog_ids.h"
#include "ui/qt/choosers.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/separator.h"
#include "ui/qt/settings_dialog.h"
#include "ui/qt/window_placement.h"
#include "ui/server_address.h"
#include "ui/window_rect_store.h"

namespace tvr::ui::qt {
namespace {

// The status bar's first part ends 300 pixels from the left, as on Windows.
constexpr int kFirstPartWidth = 300;

}  // namespace

MainWindow::MainWindow(std::u16string settingsPath, std::u16string executableFolder, ControllerOptions options)
    : executableFolder_(executableFolder),
      controller_(std::move(settingsPath), *this, options),
      commands_(controller_, *this, std::move(executableFolder)) {
    setWindowTitle(toQString(u"TamvikVR Server Ver" + std::u16string(core::kAppVersion)));
    setWindowIcon(QIcon(QStringLiteral(":/tamvikvr/app.ico")));
    build();
    connect(&tick_, &QTimer::timeout, this, [this] { controller_.tick(); });
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::commandButton(const QString& text, int id) {
    auto* button = new QPushButton(text);
    button->setObjectName(QString::number(id));
    connect(button, &QPushButton::clicked, this, [this, id] { commands_.onCommand(id); });
    return button;
}

void MainWindow::build() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(new QLabel(QStringLiteral(u"チャンネル")));
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const ChannelRowIds& ids = kChannelRowIds[i];
        Row& row = rows_[i];
        int line = static_cast<int>(i);
        row.type = new QComboBox;
        row.type->setObjectName(QString::number(ids.type));
        for (std::u16string_view name : kChannelTypeNames) row.type->addItem(toQString(name));
        row.path = new QLineEdit;
        row.path->setObjectName(QString::number(ids.path));
        row.path->setMinimumWidth(240);
        row.folder = commandButton(QStringLiteral(u"フォル"), ids.folder);
        row.edit = commandButton(QStringLiteral(u"編集"), ids.edit);
        grid->addWidget(new QLabel(QString::number(line + 1)), line, 0, Qt::AlignRight);
        grid->addWidget(row.type, line, 1);
        grid->addWidget(row.path, line, 2);
        grid->addWidget(row.folder, line, 3);
        grid->addWidget(row.edit, line, 4);
        connect(row.type, &QComboBox::currentIndexChanged, this,
                [this, id = ids.type] { commands_.onCommand(id, kNotifySelectionChanged); });
    }
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addWidget(new QLabel(
        QStringLiteral(u"※ コンボボックスで「PCフォルダ」を選択し、右のボタンで目的のフォルダを指定します。")));
    layout->addWidget(
        new QLabel(QStringLiteral(u"※ プレイリストを使うと 一つのチェンネルに複数のフォルダを登録できます。")));
    layout->addWidget(separator());

    auto* addressLine = new QHBoxLayout;
    addressLine->addWidget(new QLabel(QStringLiteral(u"サーバーアドレス")));
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
        column->addWidget(commandButton(toQString(text), id));
        column->addWidget(new QLabel(toQString(key)));
        mouseLine->addLayout(column);
    }
    auto* disconnect = commandButton(QStringLiteral(u"強制 切断\nC+S+A+KEY[S]"), IDC_DISCONNECT);
    disconnect->setMinimumHeight(44);
    mouseLine->addWidget(disconnect);
    mouseLine->addStretch(1);
    layout->addLayout(mouseLine);
    layout->addWidget(separator());

    auto* buttons = new QHBoxLayout;
    QPushButton* refresh = commandButton(QStringLiteral(u"情報更新"), IDC_REFRESH);
    refresh->hide();
    buttons->addWidget(refresh);
    buttons->addStretch(1);
    for (auto [text, id] :
         {std::pair{u"設定", IDC_SETTINGS}, std::pair{u"適用", IDC_APPLY}, std::pair{u"終了", IDC_QUIT}})
        buttons->addWidget(commandButton(toQString(text), id));
    layout->addLayout(buttons);
    setCentralWidget(central);

    for (std::size_t i = 0; i < statusParts_.size(); ++i) {
        statusParts_[i] = new QLabel;
        statusParts_[i]->setObjectName(QStringLiteral("status%1").arg(i));
    }
    statusParts_[0]->setFixedWidth(kFirstPartWidth);
    statusBar()->addWidget(statusParts_[0]);
    statusBar()->addWidget(statusParts_[1], 1);

    tray_ = new QSystemTrayIcon(QIcon(QStringLiteral(":/tamvikvr/tray.ico")), this);
    tray_->setToolTip(QStringLiteral("TamvikVR Server"));
    trayMenu_ = new QMenu(this);
    connect(trayMenu_->addAction(QStringLiteral(u"ウインドウを表示(&W)")), &QAction::triggered, this,
            [this] { commands_.onCommand(IDM_TRAY_SHOW); });
    connect(trayMenu_->addAction(QStringLiteral(u"終了(&Q)")), &QAction::triggered, this,
            [this] { commands_.onCommand(IDM_TRAY_QUIT); });
    tray_->setContextMenu(trayMenu_);
    // Most Linux trays report a single click as Trigger, where Windows users double-click.
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            commands_.onCommand(IDM_TRAY_SHOW);
    });
}

void MainWindow::start() {
    commands_.fillRows();
    controller_.startServices();
    for (const ServiceState* state : {&controller_.videoState(), &controller_.controlState()}) {
        if (!state->problem.empty()) showProblem(state->problem);
    }
    address_->setText(toQString(thisServerAddress()));
    tick_.start(Controller::kTickMs);
    adjustSize();
    rect_ = loadWindowRect(controller_.settings().path(), kMainWindowSection);
    placeWindow(*this, nullptr, rect_);
}

QString MainWindow::statusText(int part) const { return statusParts_[static_cast<std::size_t>(part)]->text(); }

void MainWindow::showStatus(const platform::LocalTime&, std::int32_t, std::u16string_view text1,
                            std::u16string_view text2) {
    statusParts_[0]->setText(toQString(text1));
    if (!text2.empty()) problems_.clear();
    statusParts_[1]->setText(toQString(text2.empty() ? std::u16string_view(problems_) : text2));
}

void MainWindow::showProblem(std::u16string_view text) {
    // The first status event ("接続待ち") comes a tick after the start; a problem found at the
    // start stays in the second part until an event or a notice has something to say there.
    if (!problems_.empty()) problems_ += u"  ";
    problems_ += text;
    statusParts_[1]->setText(toQString(problems_));
}

void MainWindow::showNotice(std::u16string_view text) {
    problems_.clear();
    statusParts_[1]->setText(toQString(text));
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

bool MainWindow::runSettingsDialog() { return qt::runSettingsDialog(controller_.settings(), executableFolder_, this); }

std::optional<std::u16string> MainWindow::chooseListFile(const ListFileStart& start) {
    return qt::chooseListFile(this, start);
}

std::optional<std::u16string> MainWindow::chooseFolder(std::u16string_view start) {
    return qt::chooseFolder(this, start);
}

void MainWindow::openInEditor(std::u16string_view path) {
    if (!qt::openInEditor(path)) showNotice(u"編集できません: " + std::u16string(path));
}

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
    if (closed_) return;
    closed_ = true;
    currentRect(*this, &rect_);
    saveWindowRect(controller_.settings().path(), kMainWindowSection, rect_);
    tick_.stop();
    controller_.stop();
    tray_->hide();
    if (onClosed_) onClosed_();
}

}  // namespace tvr::ui::qt
