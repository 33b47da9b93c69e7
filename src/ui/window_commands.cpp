// SPDX-License-Identifier: MIT
#include "ui/window_commands.h"

namespace tvr::ui {

std::optional<WindowCommand> commandOfHotKey(int hotKeyId) {
    switch (hotKeyId) {
        case ID_HOTKEY_DISCONNECT:
            return WindowCommand{Command::Disconnect};
        case ID_HOTKEY_MOUSE_ON:
            return WindowCommand{Command::MouseOn};
        case ID_HOTKEY_MOUSE_OFF:
            return WindowCommand{Command::MouseOff};
        default:
            return std::nullopt;
    }
}

std::optional<WindowCommand> commandOfControl(int id, int notification) {
    for (std::size_t i = 0; i < kChannelRowIds.size(); ++i) {
        const ChannelRowIds& ids = kChannelRowIds[i];
        const int row = static_cast<int>(i);
        if (id == ids.type) {
            if (notification != kNotifySelectionChanged) return std::nullopt;
            return WindowCommand{Command::RowTypeChanged, row};
        }
        if (notification != kNotifyClicked) continue;
        if (id == ids.folder) return WindowCommand{Command::RowChoosePath, row};
        if (id == ids.edit) return WindowCommand{Command::RowEdit, row};
    }
    if (notification != kNotifyClicked) return std::nullopt;
    switch (id) {
        case IDC_SETTINGS:
            return WindowCommand{Command::Settings};
        case IDC_APPLY:
            return WindowCommand{Command::Apply};
        case IDC_REFRESH:
            return WindowCommand{Command::Refresh};
        case IDC_MOUSE_ON:
            return WindowCommand{Command::MouseOn};
        case IDC_MOUSE_OFF:
            return WindowCommand{Command::MouseOff};
        case IDC_QUIT:
        case IDM_TRAY_QUIT:
            return WindowCommand{Command::Quit};
        case IDC_DISCONNECT:
            return WindowCommand{Command::Disconnect};
        case IDM_TRAY_SHOW:
            return WindowCommand{Command::ShowWindow};
        case IDM_TRAY_EVENTS:
            return WindowCommand{Command::ShowEvents};
        case IDC_ENTER:
            return WindowCommand{Command::Enter};
        default:
            return std::nullopt;
    }
}

}  // namespace tvr::ui
