// SPDX-License-Identifier: MIT
#pragma once
// The event window: a modeless dialog listing the model's events, one line each, the newest
// last, for the user who wants to know what the server did and why a headset was refused.
#include <windows.h>

#include <cstdint>

#include "ui/event_list.h"

namespace tvr::ui::win32 {

class EventWindow {
public:
    EventWindow(HINSTANCE instance, HWND owner, const EventList& events);
    ~EventWindow();
    EventWindow(const EventWindow&) = delete;
    EventWindow& operator=(const EventWindow&) = delete;

    /// Shows the window with every kept event and brings it to the front; a hidden window opens
    /// beside the main window.
    void open();
    /// Lists the events added since the last call; does nothing while the window is hidden.
    void update();

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE instance_;
    HWND owner_;
    const EventList& events_;
    HWND window_ = nullptr;
    std::uint64_t listed_ = 0;  // how many of the events ever added are listed
    int widest_ = 0;            // the widest line in pixels, for the horizontal scroll bar
};

}  // namespace tvr::ui::win32
