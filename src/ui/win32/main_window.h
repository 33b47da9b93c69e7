// SPDX-License-Identifier: MIT
#pragma once
// The main window: a modeless dialog with the channel rows, the address, the mouse and
// disconnect buttons, a two-part status bar, the tray icon and the global hot keys. It owns the
// controller, and so the services, from its creation to its destruction.
#include <windows.h>

#include <memory>
#include <string>

#include "ui/controller.h"
#include "ui/main_commands.h"
#include "ui/status_view.h"
#include "ui/win32/tray_icon.h"

namespace tvr::ui::win32 {

class MainWindow final : public StatusView, public MainWindowView {
public:
    MainWindow(HINSTANCE instance, std::u16string settingsPath, std::u16string executableFolder);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    /// Loads the settings; false when the settings file can neither be read nor created.
    bool loadSettings() { return controller_.loadSettings(); }
    /// Creates the window, which starts the services; false when it cannot be created.
    bool create();
    /// The window's handle; null before create() and after its destruction.
    HWND handle() const { return window_; }
    /// Saves the changed settings and waits until they are written.
    void saveSettings() {
        controller_.saveSettings();
        controller_.flushSettings();
    }

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

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void init(HWND window);
    void destroy();
    bool minimiseToTray();
    void onTray(LPARAM mouseMessage);
    void setStatusText(int part, std::u16string_view text);

    HINSTANCE instance_;
    std::u16string executableFolder_;
    Controller controller_;
    MainCommands commands_;
    HWND window_ = nullptr;
    HWND statusBar_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    UINT taskbarCreated_ = 0;
    core::WindowRect rect_;
};

}  // namespace tvr::ui::win32
