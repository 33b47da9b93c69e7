// SPDX-License-Identifier: MIT
#include "ui/main_commands.h"

namespace tvr::ui {

int hotKeyCommand(int hotKeyId) {
    switch (hotKeyId) {
        case ID_HOTKEY_DISCONNECT:
            return IDC_DISCONNECT;
        case ID_HOTKEY_MOUSE_ON:
            return IDC_MOUSE_ON;
        case ID_HOTKEY_MOUSE_OFF:
            return IDC_MOUSE_OFF;
        default:
            return 0;
    }
}

MainCommands::MainCommands(Controller& controller, MainWindowView& view, std::u16string executableFolder)
    : controller_(controller), view_(view), executableFolder_(std::move(executableFolder)) {}

bool MainCommands::onCommand(int id, int notification) {
    for (std::size_t i = 0; i < kChannelRowIds.size(); ++i) {
        const ChannelRowIds& row = kChannelRowIds[i];
        int index = static_cast<int>(i);
        if (id == row.type) {
            if (notification == kNotifySelectionChanged) rowTypeChanged(index);
            return true;
        }
        if (notification != kNotifyClicked) continue;
        if (id == row.folder) {
            choosePath(index);
            return true;
        }
        if (id == row.edit) {
            editRow(index);
            return true;
        }
    }
    if (notification != kNotifyClicked) return false;
    switch (id) {
        case IDC_SETTINGS:
            if (view_.runSettingsDialog()) controller_.applySettings();
            return true;
        case IDC_APPLY:
            apply();
            return true;
        case IDC_REFRESH:
            fillRows();
            controller_.saveSettings();
            return true;
        case IDC_MOUSE_ON:
            resumeMouse();
            return true;
        case IDC_MOUSE_OFF:
            pauseMouse();
            return true;
        case IDC_QUIT:
        case IDM_TRAY_QUIT:
            quit();
            return true;
        case IDC_DISCONNECT:
            controller_.forceDisconnect();
            return true;
        case IDM_TRAY_SHOW:
            view_.showFromTray();
            return true;
        default:
            return false;
    }
}

void MainCommands::fillRows() {
    ChannelRows rows = rowsFromChannels(controller_.settings().config().channels);
    view_.showRows(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) view_.enableRow(static_cast<int>(i), rowEnabling(rows[i].typeName));
}

void MainCommands::apply() {
    readRowsIntoChannels(view_.rows(), controller_.settings().config().channels);
    controller_.applySettings();
}

void MainCommands::quit() {
    apply();
    view_.closeWindow();
}

void MainCommands::rowTypeChanged(int row) {
    view_.enableRow(row, rowEnabling(view_.rows()[static_cast<std::size_t>(row)].typeName));
}

void MainCommands::choosePath(int row) {
    ChannelRowText text = view_.rows()[static_cast<std::size_t>(row)];
    std::optional<std::int32_t> type = channelTypeFromName(text.typeName);
    if (!type || *type == core::kChannelVrDevice) return;
    if (*type == core::kChannelPcFolder) {
        if (auto folder = view_.chooseFolder(folderChooserStart(text.path, executableFolder_)))
            view_.setRowPath(row, *folder);
        return;
    }
    if (auto file = view_.chooseListFile(listFileStart(text.path, executableFolder_)))
        view_.setRowPath(row, storedListPath(*file, executableFolder_));
}

void MainCommands::editRow(int row) {
    view_.openInEditor(notepadTarget(view_.rows()[static_cast<std::size_t>(row)].path, executableFolder_));
}

void MainCommands::resumeMouse() {
    controller_.resumeMouse();
    showMouseProblem();
}

void MainCommands::pauseMouse() {
    controller_.pauseMouse();
    showMouseProblem();
}

void MainCommands::showMouseProblem() {
    std::u16string problem = controller_.mouseProblem();
    if (!problem.empty()) view_.showNotice(problem);
}

}  // namespace tvr::ui
