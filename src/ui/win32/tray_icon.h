// SPDX-License-Identifier: MIT
#pragma once
// The notification-area icon of the main window while it is hidden.
#include <windows.h>

#include <string_view>
// After windows.h, which it needs.
#include <shellapi.h>

namespace tvr::ui::win32 {

/// The message the tray icon sends to its window (lParam: the mouse message).
inline constexpr UINT kTrayMessage = WM_USER;

class TrayIcon {
public:
    /// The icon of the given window, with the resource icon loaded 16 by 16 pixels.
    TrayIcon(HINSTANCE instance, HWND window, int iconId);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    /// Shows the icon; false when the shell refused it.
    bool add();
    /// Hides the icon if shown.
    void remove();
    /// Shows the icon again after Explorer restarted ("TaskbarCreated"), if it was shown.
    void restore();
    /// Sets the tooltip (cut to what the shell holds), at once when the icon is shown.
    void setTooltip(std::u16string_view text);
    /// Shows the tray menu at the cursor; its commands reach the window as WM_COMMAND.
    void showMenu(HINSTANCE instance, int menuId);

private:
    NOTIFYICONDATAW data_{};
    HICON icon_ = nullptr;
    bool shown_ = false;
};

}  // namespace tvr::ui::win32
