// SPDX-License-Identifier: MIT
#pragma once
// What the main window's buttons, combo boxes, tray menu and hot keys do, for every window
// front-end: each command becomes calls on the controller and on a small view interface.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "ui/channel_rows.h"
#include "ui/chooser_paths.h"
#include "ui/controller.h"
#include "ui/dialog_ids.h"

namespace tvr::ui {

/// The main window as the commands use it.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    /// Every row's combo text and path text as shown now.
    virtual ChannelRows rows() = 0;
    /// Shows the rows: each combo selects its type name (none when empty), each edit its path.
    virtual void showRows(const ChannelRows& rows) = 0;
    /// Enables or disables a row's path edit and its two buttons.
    virtual void enableRow(int row, const RowEnabling& enabling) = 0;
    /// Puts a path into a row's edit.
    virtual void setRowPath(int row, std::u16string_view path) = 0;
    /// Runs the settings dialog; true when the user pressed OK (it has saved the settings).
    virtual bool runSettingsDialog() = 0;
    /// The list-file chooser; the picked file's full path, or nothing when cancelled.
    virtual std::optional<std::u16string> chooseListFile(const ListFileStart& start) = 0;
    /// The folder chooser; the picked folder, or nothing when cancelled.
    virtual std::optional<std::u16string> chooseFolder(std::u16string_view start) = 0;
    /// Opens the file in Notepad (or the system's text editor).
    virtual void openInEditor(std::u16string_view path) = 0;
    /// Takes the window out of the tray and shows it.
    virtual void showFromTray() = 0;
    /// Closes the window, which ends the program.
    virtual void closeWindow() = 0;
    /// A short message for the user, such as why the mouse relay cannot run.
    virtual void showNotice(std::u16string_view text) = 0;
};

/// The notification codes onCommand tells apart (the values Windows sends with WM_COMMAND).
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

/// The command id a hot key sends, or 0 for an unknown hot key.
int hotKeyCommand(int hotKeyId);

class MainCommands {
public:
    MainCommands(Controller& controller, MainWindowView& view, std::u16string executableFolder);

    /// Runs a command of a control or of the tray menu; false when the id is not one of them.
    bool onCommand(int id, int notification = kNotifyClicked);
    /// Runs the command of a global hot key; false when the id is not one of them.
    bool onHotKey(int hotKeyId) { return onCommand(hotKeyCommand(hotKeyId)); }

    /// "情報更新" without the save: the rows as the channels are, each enabled by its type.
    void fillRows();
    /// "適用": the rows into the channels, applied to the services and saved.
    void apply();
    /// "終了": apply, then close the window.
    void quit();
    /// A row's combo changed: enable its controls for the new type.
    void rowTypeChanged(int row);
    /// A row's "フォル": a list file or a folder is chosen into the row's edit.
    void choosePath(int row);
    /// A row's "編集": the row's list file in the editor.
    void editRow(int row);

private:
    void resumeMouse();
    void pauseMouse();
    void showMouseProblem();

    Controller& controller_;
    MainWindowView& view_;
    std::u16string executableFolder_;
};

}  // namespace tvr::ui
