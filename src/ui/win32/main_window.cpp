// SPDX-License-Identifier: MIT
#include "ui/win32/main_window.h"

#include <commctrl.h>

#include "core/version.h"
#include "ui/dialog_ids.h"
#include "ui/server_address.h"
#include "ui/win32/choosers.h"
#include "ui/win32/settings_dialog.h"
#include "ui/win32/win_text.h"
#include "ui/win32/window_placement.h"
#include "ui/window_rect_store.h"

namespace tvr::ui::win32 {
namespace {

constexpr UINT kHotKeyModifiers = MOD_CONTROL | MOD_SHIFT | MOD_ALT | MOD_NOREPEAT;

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::u16string settingsPath, std::u16string executableFolder)
    : instance_(instance),
      executableFolder_(executableFolder),
      controller_(std::move(settingsPath), *this),
      commands_(controller_, *this, std::move(executableFolder)) {}

bool MainWindow::create() {
    return CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_MAIN), nullptr, procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<MainWindow*>(lParam)->init(window);
        return TRUE;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    return self == nullptr ? FALSE : self->handle(message, wParam, lParam);
}

INT_PTR MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return commands_.onCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_HOTKEY:
            return commands_.onHotKey(static_cast<int>(wParam));
        case WM_TIMER:
            controller_.tick();
            return TRUE;
        case WM_SYSCOMMAND:
            return (wParam & 0xFFF0) == SC_MINIMIZE && minimiseToTray();
        case kTrayMessage:
            // The dialog manager's DM_GETDEFID has the same number; only the icon's messages are ours.
            if (wParam != ID_TRAY_ICON) return FALSE;
            onTray(lParam);
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(window_);
            return TRUE;
        case WM_DESTROY:
            destroy();
            return TRUE;
        default:
            // Explorer restarted: its new taskbar knows no icon of ours.
            if (message == taskbarCreated_ && tray_) tray_->restore();
            return FALSE;
    }
}

void MainWindow::init(HWND window) {
    window_ = window;
    HANDLE icon = LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetWindowTextW(window, wide(u"TamvikVR Server Ver" + std::u16string(core::kAppVersion)).c_str());
    rect_ = loadWindowRect(controller_.settings().path(), kMainWindowSection);
    placeWindow(window, nullptr, rect_);
    for (const ChannelRowIds& row : kChannelRowIds) {
        for (std::u16string_view name : kChannelTypeNames)
            SendDlgItemMessageW(window, row.type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name).c_str()));
    }
    commands_.fillRows();

    controller_.startServices();
    // Without the media helper the program goes on; the user is told once, as the program starts.
    if (!controller_.mediaProblem().empty())
        MessageBoxW(window, wide(controller_.mediaProblem()).c_str(), L"DLL エラー", MB_OK | MB_ICONERROR);
    for (const ServiceState* state : {&controller_.videoState(), &controller_.controlState()}) {
        if (!state->problem.empty()) showProblem(state->problem);
    }
    setItemText(window, IDC_ADDRESS, thisServerAddress());
    RegisterHotKey(window, ID_HOTKEY_DISCONNECT, kHotKeyModifiers, 'S');
    RegisterHotKey(window, ID_HOTKEY_MOUSE_ON, kHotKeyModifiers, 'M');
    RegisterHotKey(window, ID_HOTKEY_MOUSE_OFF, kHotKeyModifiers, 'D');
    tray_ = std::make_unique<TrayIcon>(instance_, window, IDI_TRAY);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), instance_, nullptr);
    int edges[] = {300, 1100};
    SendMessageW(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
    SetTimer(window, ID_TIMER, Controller::kTickMs, nullptr);
}

void MainWindow::destroy() {
    currentRect(window_, &rect_);
    controller_.keepWindowRect(kMainWindowSection, rect_);
    PostQuitMessage(0);
    KillTimer(window_, ID_TIMER);
    for (int id : {ID_HOTKEY_DISCONNECT, ID_HOTKEY_MOUSE_ON, ID_HOTKEY_MOUSE_OFF}) UnregisterHotKey(window_, id);
    controller_.stop();
    tray_.reset();
    window_ = nullptr;
}

bool MainWindow::minimiseToTray() {
    // Without a tray to come back from, the window minimises as any other does.
    if (!tray_->add()) return false;
    currentRect(window_, &rect_);
    ShowWindow(window_, SW_HIDE);
    return true;
}

void MainWindow::onTray(LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) commands_.onCommand(IDM_TRAY_SHOW);
    if (mouseMessage == WM_RBUTTONDOWN) tray_->showMenu(instance_, IDM_TRAY);
}

void MainWindow::setStatusText(int part, std::u16string_view text) {
    SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(wide(text).c_str()));
}

void MainWindow::showStatus(const platform::LocalTime&, std::int32_t, std::u16string_view text1,
                            std::u16string_view text2) {
    setStatusText(0, text1);
    setStatusText(1, text2);
}

void MainWindow::showProblem(std::u16string_view text) { setStatusText(0, text); }

ChannelRows MainWindow::rows() {
    ChannelRows rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].typeName = itemText(window_, kChannelRowIds[i].type);
        rows[i].path = itemText(window_, kChannelRowIds[i].path);
    }
    return rows;
}

void MainWindow::showRows(const ChannelRows& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ChannelRowIds& ids = kChannelRowIds[i];
        setItemText(window_, ids.path, rows[i].path);
        LRESULT item = rows[i].typeName.empty()
                           ? CB_ERR
                           : SendDlgItemMessageW(window_, ids.type, CB_FINDSTRINGEXACT, WPARAM(-1),
                                                 reinterpret_cast<LPARAM>(wide(rows[i].typeName).c_str()));
        SendDlgItemMessageW(window_, ids.type, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
}

void MainWindow::enableRow(int row, const RowEnabling& enabling) {
    const ChannelRowIds& ids = kChannelRowIds[static_cast<std::size_t>(row)];
    EnableWindow(GetDlgItem(window_, ids.path), enabling.pathEdit);
    EnableWindow(GetDlgItem(window_, ids.folder), enabling.folderButton);
    EnableWindow(GetDlgItem(window_, ids.edit), enabling.editButton);
}

void MainWindow::setRowPath(int row, std::u16string_view path) {
    setItemText(window_, kChannelRowIds[static_cast<std::size_t>(row)].path, path);
}

bool MainWindow::runSettingsDialog() {
    return win32::runSettingsDialog(instance_, window_, controller_, executableFolder_);
}

std::optional<std::u16string> MainWindow::chooseListFile(const ListFileStart& start) {
    return win32::chooseListFile(window_, start);
}

std::optional<std::u16string> MainWindow::chooseFolder(std::u16string_view start) {
    return win32::chooseFolder(window_, start);
}

void MainWindow::openInEditor(std::u16string_view path) { openInNotepad(path); }

void MainWindow::showFromTray() {
    tray_->remove();
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void MainWindow::closeWindow() { DestroyWindow(window_); }

void MainWindow::showNotice(std::u16string_view text) { setStatusText(1, text); }

}  // namespace tvr::ui::win32
