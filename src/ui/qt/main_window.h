// SPDX-License-Identifier: MIT
#pragma once
// The main window: the channel rows, the address, the mouse and disconnect buttons, a two-part
// status bar and the tray icon. It owns the controller, and so the services, and drives them
// through the same commands as every window front-end.
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "ui/controller.h"
#include "ui/main_commands.h"
#include "ui/status_view.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

namespace tvr::ui::qt {

class MainWindow final : public QMainWindow, public StatusView, public MainWindowView {
public:
    MainWindow(std::u16string settingsPath, std::u16string executableFolder, ControllerOptions options = {});
    ~MainWindow() override;

    /// Loads the settings; false when the settings file can neither be read nor created.
    bool loadSettings() { return controller_.loadSettings(); }
    /// Fills the rows, starts the services and the 100 ms tick, and places the window.
    void start();
    /// What runs once the window has closed and stopped the services (the program quits).
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }
    /// A global hot key (260 S, 261 M, 262 D) was pressed.
    void onHotKey(int hotKeyId) { commands_.onHotKey(hotKeyId); }
    /// Tells the user, once, why there are no global hot keys.
    void showHotKeyProblem(std::u16string_view text) { showProblem(text); }

    Controller& controller() { return controller_; }
    /// The tray icon's menu: "ウインドウを表示(&W)" and "終了(&Q)".
    QMenu* trayMenu() const { return trayMenu_; }
    /// A status bar part's text (0 or 1).
    QString statusText(int part) const;

    void showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                    std::u16string_view text2) override;
    void showProblem(std::u16string_view text) override;

    ChannelRows rows() override;
    void showRows(const ChannelRows& rows) override;
    void enableRow(int row, const RowEnabling& enabling) override;
    void setRowPath(int row, std::u16string_view path) override;
    bool runSettingsDialog() override;
    std::optional<std::u16string> chooseListFile(const ListFileStart& start) override;
    std::optional<std::u16string> chooseFolder(std::u16string_view start) override;
    void openInEditor(std::u16string_view path) override;
    void showFromTray() override;
    void closeWindow() override;
    void showNotice(std::u16string_view text) override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        QComboBox* type;
        QLineEdit* path;
        QPushButton* folder;
        QPushButton* edit;
    };
    void build();
    QPushButton* commandButton(const QString& text, int id);
    void minimiseToTray();

    std::u16string executableFolder_;
    Controller controller_;
    MainCommands commands_;
    std::array<Row, core::kChannelCount> rows_{};
    QLineEdit* address_ = nullptr;
    std::array<QLabel*, 2> statusParts_{};
    std::u16string problems_;  // shown in part 1 until an event or a notice takes its place
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QTimer tick_;
    core::WindowRect rect_;
    bool closed_ = false;
    std::function<void()> onClosed_;
};

}  // namespace tvr::ui::qt
