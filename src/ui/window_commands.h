// SPDX-License-Identifier: MIT
#pragma once
// The main window's commands, and which control, tray entry or hot key gives each: the Win32
// window maps its WM_COMMAND ids through here, the Qt window names its widgets by the same ids.
#include <array>
#include <optional>

#include "core/settings.h"
#include "ui/dialog_ids.h"

namespace tvr::ui {

enum class Command {
    Settings,        // "設定"
    Apply,           // "適用"
    Refresh,         // "情報更新"
    MouseOn,         // "マウス ON", Ctrl+Shift+Alt+M
    MouseOff,        // "マウス OFF", Ctrl+Shift+Alt+D
    Quit,            // "終了", the tray's "終了(&Q)"
    Disconnect,      // "強制 切断", Ctrl+Shift+Alt+S
    ShowWindow,      // the tray's "ウインドウを表示(&W)" and a double-click on the icon
    ShowEvents,      // the tray's "イベントを表示(&E)" and a double-click on the status bar
    Enter,           // Enter in a path box or another field that is no button
    RowTypeChanged,  // a row's combo box chose another type
    RowChoosePath,   // a row's "フォル"
    RowEdit,         // a row's "編集"
};

/// A command and, for the row commands, its row (0 to 7).
struct WindowCommand {
    Command command = Command::Apply;
    int row = -1;
    bool operator==(const WindowCommand&) const = default;
};

/// The notification codes a control sends with its id (the values Windows sends with WM_COMMAND).
inline constexpr int kNotifyClicked = 0;           // a button click or a menu entry
inline constexpr int kNotifySelectionChanged = 1;  // a combo box's selection changed

/// The control ids of one channel row.
struct ChannelRowIds {
    int type, path, folder, edit;
};
/// The eight rows' control ids, row 1 first.
inline constexpr std::array<ChannelRowIds, core::kChannelCount> kChannelRowIds = {{
    {IDC_ROW1_TYPE, IDC_ROW1_PATH, IDC_ROW1_FOLDER, IDC_ROW1_EDIT},
    {IDC_ROW2_TYPE, IDC_ROW2_PATH, IDC_ROW2_FOLDER, IDC_ROW2_EDIT},
    {IDC_ROW3_TYPE, IDC_ROW3_PATH, IDC_ROW3_FOLDER, IDC_ROW3_EDIT},
    {IDC_ROW4_TYPE, IDC_ROW4_PATH, IDC_ROW4_FOLDER, IDC_ROW4_EDIT},
    {IDC_ROW5_TYPE, IDC_ROW5_PATH, IDC_ROW5_FOLDER, IDC_ROW5_EDIT},
    {IDC_ROW6_TYPE, IDC_ROW6_PATH, IDC_ROW6_FOLDER, IDC_ROW6_EDIT},
    {IDC_ROW7_TYPE, IDC_ROW7_PATH, IDC_ROW7_FOLDER, IDC_ROW7_EDIT},
    {IDC_ROW8_TYPE, IDC_ROW8_PATH, IDC_ROW8_FOLDER, IDC_ROW8_EDIT},
}};

/// The command of a control, tray entry or Enter with its notification code; nothing for an id
/// that is none of them or a notification that asks for nothing.
std::optional<WindowCommand> commandOfControl(int id, int notification = kNotifyClicked);
/// The command of a global hot key (260 S, 261 M, 262 D); nothing for another id.
std::optional<WindowCommand> commandOfHotKey(int hotKeyId);

}  // namespace tvr::ui
