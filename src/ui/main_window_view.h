// SPDX-License-Identifier: MIT
#pragma once
// The main window as its model uses it: what each front-end (Win32, Qt) does with its widgets.
#include <optional>
#include <string>
#include <string_view>

#include "ui/channel_rows.h"
#include "ui/chooser_paths.h"

namespace tvr::ui {

/// What became of "編集": opened, made empty and opened, or neither.
enum class EditorOutcome { Opened, CreatedAndOpened, NoEditor, Failed };

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
    /// Shows the PC's address for the headset.
    virtual void showAddress(std::u16string_view address) = 0;
    /// Shows a status bar part (0 or 1); the part's tooltip holds the whole text.
    virtual void showStatusPart(int part, std::u16string_view text) = 0;
    /// Sets the tray icon's tooltip.
    virtual void showTrayTooltip(std::u16string_view text) = 0;
    /// A message box that does not stop the program (the media helper's).
    virtual void alert(std::u16string_view title, std::u16string_view text) = 0;
    /// Runs the settings dialog; true when the user pressed OK (it has saved the settings).
    virtual bool runSettingsDialog() = 0;
    /// The list-file chooser; the picked file's full path, or nothing when cancelled.
    virtual std::optional<std::u16string> chooseListFile(const ListFileStart& start) = 0;
    /// The folder chooser; the picked folder, or nothing when cancelled.
    virtual std::optional<std::u16string> chooseFolder(std::u16string_view start) = 0;
    /// Opens the file in Notepad (or the system's text editor, making a missing file first).
    virtual EditorOutcome openInEditor(std::u16string_view path) = 0;
    /// Takes the window out of the tray and shows it.
    virtual void showFromTray() = 0;
    /// Opens the event window, or brings it to the front.
    virtual void showEventWindow() = 0;
    /// Events were added to the model's list; an open event window lists them.
    virtual void eventsAdded() = 0;
    /// Closes the window; its close handler then closes the model.
    virtual void closeWindow() = 0;
};

}  // namespace tvr::ui
