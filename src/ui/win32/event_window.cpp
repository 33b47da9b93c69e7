// SPDX-License-Identifier: MIT
#include "ui/win32/event_window.h"

#include <algorithm>

#include "ui/dialog_ids.h"
#include "ui/win32/resource_language.h"
#include "ui/win32/win_text.h"
#include "ui/win32/window_placement.h"
#include "ui/window_texts.h"

namespace tvr::ui::win32 {

EventWindow::EventWindow(HINSTANCE instance, HWND owner, const EventList& events)
    : instance_(instance), owner_(owner), events_(events) {}

EventWindow::~EventWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

INT_PTR CALLBACK EventWindow::procedure(HWND window, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowTextW(window, wide(text(TextId::EventWindowTitle)).c_str());
            return TRUE;
        case WM_SIZE:
            MoveWindow(GetDlgItem(window, IDC_EVENT_LIST), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            return TRUE;
        case WM_CLOSE:
            ShowWindow(window, SW_HIDE);
            return TRUE;
        default:
            return FALSE;
    }
}

void EventWindow::open() {
    if (window_ == nullptr)
        window_ = CreateDialogIndirectParamW(instance_, dialogTemplate(instance_, IDD_EVENTS), owner_, procedure, 0);
    if (window_ == nullptr) return;
    if (!IsWindowVisible(window_)) placeBeside(window_, owner_);
    ShowWindow(window_, SW_SHOW);
    update();
    SetForegroundWindow(window_);
}

void EventWindow::update() {
    if (window_ == nullptr || !IsWindowVisible(window_)) return;
    HWND list = GetDlgItem(window_, IDC_EVENT_LIST);
    const auto& kept = events_.events();
    const std::uint64_t first = events_.added() - kept.size();  // the number of the oldest kept event
    HDC dc = GetDC(list);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
    for (std::uint64_t number = std::max(listed_, first); number < events_.added(); ++number) {
        std::wstring line = wide(eventLine(kept[static_cast<std::size_t>(number - first)]));
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE size{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        widest_ = std::max(widest_, static_cast<int>(size.cx) + 8);
    }
    SelectObject(dc, font);
    ReleaseDC(list, dc);
    listed_ = events_.added();
    while (SendMessageW(list, LB_GETCOUNT, 0, 0) > static_cast<LRESULT>(EventList::kCapacity))
        SendMessageW(list, LB_DELETESTRING, 0, 0);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(SendMessageW(list, LB_GETCOUNT, 0, 0) - 1), 0);
}

}  // namespace tvr::ui::win32
