// SPDX-License-Identifier: MIT
#pragma once
// The main window: a modeless dialog with the channel rows, the address, the mouse and
// disconnect buttons, a two-part status bar, the tray icon, the global hot keys and the event
// window. Its model owns the controller, and so the services; the window only maps its controls
// to the model.
#include <windows.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>

#include "ui/main_window_model.h"
#include "ui/win32/event_window.h"
#include "ui/win32/tray_icon.h"

namespace tvr::ui::win32 {

class MainWindow final : public MainWindowView {
public:
    MainWindow(HINSTANCE instance, std::u16string settingsPath, std::u16string executableFolder);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    /// Loads the settings; false when the settings file can neither be read nor created.
    bool loadSettings() { return model_.loadSettings(); }
    /// Creates the window, which starts the services; false when it cannot be created.
    bool create();
    /// The window's handle; null before create() and after its destruction.
    HWND handle() const { return window_; }
    /// Turns the window's keyboard shortcut (Ctrl+E: the events) into its command; true when the
    /// message was one.
    bool translateShortcut(MSG* message) const;
    /// What closing could not save, a line each; empty when everything was saved.
    std::u16string unsavedText() const { return model_.unsavedText(); }
    /// Saves the changed settings and waits until they are written.
    void saveSettings() {
        model_.controller().saveSettings();
        model_.controller().flushSettings();
    }

    ChannelRows rows() override;
    void showRows(const ChannelRows& rows) override;
    void enableRow(int row, const RowEnabling& enabling) override;
    void setRowPath(int row, std::u16string_view path) override;
    void showAddress(std::u16string_view address) override;
    void showStatusPart(int part, std::u16string_view text) override;
    void showTrayTooltip(std::u16string_view text) override;
    void alert(std::u16string_view title, std::u16string_view text) override;
    bool runSettingsDialog() override;
    std::optional<std::u16string> chooseListFile(const ListFileStart& start) override;
    std::optional<std::u16string> chooseFolder(std::u16string_view start) override;
    EditorOutcome openInEditor(std::u16string_view path) override;
    void showFromTray() override;
    void showEventWindow() override;
    void eventsAdded() override;
    void closeWindow() override;

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void init(HWND window);
    void destroy();
    bool minimiseToTray();
    void onTray(LPARAM mouseMessage);
    void createStatusTips();
    void layoutStatusBar();
    void showAlert();

    HINSTANCE instance_;
    std::u16string executableFolder_;
    MainWindowModel model_;
    HWND window_ = nullptr;
    HWND statusBar_ = nullptr;
    HWND statusTips_ = nullptr;  // the status bar parts' tooltips
    HACCEL accelerators_ = nullptr;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<EventWindow> events_;
    UINT taskbarCreated_ = 0;
    core::WindowRect rect_;
    std::deque<std::pair<std::u16string, std::u16string>> alerts_;  // title and text, to show
};

}  // namespace tvr::ui::win32
