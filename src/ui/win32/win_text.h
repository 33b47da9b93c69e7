// SPDX-License-Identifier: MIT
#pragma once
// Text between the program's UTF-16 strings and the wide Win32 calls (wchar_t is 16 bits there).
#include <windows.h>

#include <string>
#include <string_view>

namespace tvr::ui::win32 {

/// The text as the wide string Win32 takes.
inline std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

/// A window's text.
inline std::u16string windowText(HWND window) {
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return std::u16string(text.begin(), text.end());
}

/// A dialog control's text.
inline std::u16string itemText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

/// Sets a dialog control's text.
inline void setItemText(HWND dialog, int id, std::u16string_view text) {
    SetDlgItemTextW(dialog, id, wide(text).c_str());
}

}  // namespace tvr::ui::win32
