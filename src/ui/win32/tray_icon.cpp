// SPDX-License-Identifier: MIT
#include "ui/win32/tray_icon.h"

#include <string>

#include "ui/dialog_ids.h"
#include "ui/win32/resource_language.h"

namespace tvr::ui::win32 {

TrayIcon::TrayIcon(HINSTANCE instance, HWND window, int iconId) {
    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, LR_SHARED));
    data_.cbSize = sizeof data_;
    data_.hWnd = window;
    data_.uID = ID_TRAY_ICON;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = kTrayMessage;
    data_.hIcon = icon_;
    lstrcpynW(data_.szTip, L"TamvikVR Server", ARRAYSIZE(data_.szTip));
}

TrayIcon::~TrayIcon() { remove(); }

bool TrayIcon::add() {
    if (!shown_) shown_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    return shown_;
}

void TrayIcon::remove() {
    if (shown_) Shell_NotifyIconW(NIM_DELETE, &data_);
    shown_ = false;
}

void TrayIcon::restore() {
    if (shown_) Shell_NotifyIconW(NIM_ADD, &data_);
}

void TrayIcon::setTooltip(std::u16string_view text) {
    std::wstring tip(text.begin(), text.end());
    lstrcpynW(data_.szTip, tip.c_str(), ARRAYSIZE(data_.szTip));
    if (shown_) Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::showMenu(HINSTANCE instance, int menuId) {
    HMENU menu = loadMenu(instance, menuId);
    if (menu == nullptr) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would stay open after a click elsewhere.
    SetForegroundWindow(data_.hWnd);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, data_.hWnd, nullptr);
    PostMessageW(data_.hWnd, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

}  // namespace tvr::ui::win32
