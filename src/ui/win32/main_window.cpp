// SPDX-License-Identifier: MIT
#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <tuple>

#include "core/version.h"
#include "ui/dialog_ids.h"
#include "ui/text_fit.h"
#include "ui/win32/choosers.h"
#include "ui/win32/resource_language.h"
#include "ui/win32/settings_dialog.h"
#include "ui/win32/single_instance.h"
#include "ui/win32/win_text.h"
#include "ui/win32/window_placement.h"
#include "ui/window_rect_store.h"
#include "ui/window_texts.h"

namespace tvr::ui::win32 {
namespace {

constexpr UINT kHotKeyModifiers = MOD_CONTROL | MOD_SHIFT | MOD_ALT | MOD_NOREPEAT;
constexpr UINT kAlertMessage = WM_APP + 1;
// An accelerator's WM_COMMAND: notification 1 and no control.
constexpr WORD kFromAccelerator = 1;
constexpr int kStatusParts = 2;

// A double-click on the status bar opens the event window.
bool isStatusBarDoubleClick(LPARAM notification) {
    const auto* header = reinterpret_cast<const NMHDR*>(notification);
    return header->idFrom == IDC_STATUS_BAR && header->code == static_cast<UINT>(NM_DBLCLK);
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, std::u16string settingsPath, std::u16string executableFolder)
    : instance_(instance),
      executableFolder_(executableFolder),
      model_(std::move(settingsPath), *this, std::move(executableFolder)) {}

bool MainWindow::create() {
    return CreateDialogIndirectParamW(instance_, dialogTemplate(instance_, IDD_MAIN), nullptr, procedure,
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
            // Ctrl+E, the window's one keyboard shortcut, does what the tray menu's entry does.
            if (HIWORD(wParam) == kFromAccelerator && lParam == 0) return model_.onControl(LOWORD(wParam));
            return model_.onControl(LOWORD(wParam), HIWORD(wParam));
        case WM_HOTKEY:
            return model_.onHotKey(static_cast<int>(wParam));
        case WM_TIMER:
            model_.tick();
            return TRUE;
        case WM_NOTIFY:
            if (!isStatusBarDoubleClick(lParam)) return FALSE;
            model_.run(Command::ShowEvents);
            return TRUE;
        case kAlertMessage:
            showAlert();
            return TRUE;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == IDM_SYSTEM_EVENTS) {
                model_.run(Command::ShowEvents);
                return TRUE;
            }
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
            // A second start for our data folder: the window comes forward, out of the tray too.
            if (message != SingleInstance::showMessage()) return FALSE;
            model_.run(Command::ShowWindow);
            return TRUE;
    }
}

void MainWindow::init(HWND window) {
    window_ = window;
    HANDLE icon = LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED);
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetWindowTextW(window, wide(u"TamvikVR Server Ver" + std::u16string(core::kAppVersion)).c_str());
    rect_ = loadWindowRect(model_.controller().settings().path(), kMainWindowSection);
    placeWindow(window, nullptr, rect_);
    for (const ChannelRowIds& row : kChannelRowIds) {
        for (std::u16string_view name : channelTypeNames())
            SendDlgItemMessageW(window, row.type, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name).c_str()));
    }
    // The status bar and the tray come first: the start's problems are shown in them.
    statusBar_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUS_BAR)), instance_, nullptr);
    createStatusTips();
    layoutStatusBar();
    tray_ = std::make_unique<TrayIcon>(instance_, window, IDI_TRAY);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    events_ = std::make_unique<EventWindow>(instance_, window, model_.events());
    // The events from the system menu (Alt+Space) too, where Windows users look for a window's extras.
    HMENU system = GetSystemMenu(window, FALSE);
    AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(system, MF_STRING, IDM_SYSTEM_EVENTS,
                wide(std::u16string(text(TextId::TrayShowEvents)) + u"\tCtrl+E").c_str());
    ACCEL showEvents{FCONTROL | FVIRTKEY, 'E', IDM_TRAY_EVENTS};
    accelerators_ = CreateAcceleratorTableW(&showEvents, 1);
    model_.start();
    for (auto [id, key, keys] : {std::tuple{ID_HOTKEY_DISCONNECT, 'S', u"Ctrl+Shift+Alt+S"},
                                 std::tuple{ID_HOTKEY_MOUSE_ON, 'M', u"Ctrl+Shift+Alt+M"},
                                 std::tuple{ID_HOTKEY_MOUSE_OFF, 'D', u"Ctrl+Shift+Alt+D"}}) {
        if (!RegisterHotKey(window, id, kHotKeyModifiers, static_cast<UINT>(key))) model_.hotKeyTaken(keys);
    }
    SetTimer(window, ID_TIMER, Controller::kTickMs, nullptr);
}

bool MainWindow::translateShortcut(MSG* message) const {
    return accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, message) != 0;
}

void MainWindow::createStatusTips() {
    // The status bar's own tips show only a text the bar itself cut; ours always show, with the
    // whole text and how to open the events.
    statusTips_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    SendMessageW(statusTips_, TTM_SETMAXTIPWIDTH, 0, 600);  // lets the tip break at its "\n"
    std::wstring hint = wide(text(TextId::StatusBarHint));
    for (int part = 0; part < kStatusParts; ++part) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = statusBar_;
        tool.uId = static_cast<UINT_PTR>(part);
        tool.lpszText = hint.data();
        SendMessageW(statusTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainWindow::layoutStatusBar() {
    // Part 1 ends at 1100 pixels or at the window's edge, whichever comes first, so its text is
    // cut where the user can see the cut.
    RECT client{};
    GetClientRect(window_, &client);
    int edges[kStatusParts] = {300, std::min<int>(1100, std::max<int>(301, client.right))};
    SendMessageW(statusBar_, SB_SETPARTS, kStatusParts, reinterpret_cast<LPARAM>(edges));
    for (int part = 0; part < kStatusParts; ++part) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = statusBar_;
        tool.uId = static_cast<UINT_PTR>(part);
        SendMessageW(statusBar_, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&tool.rect));
        SendMessageW(statusTips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void MainWindow::destroy() {
    currentRect(window_, &rect_);
    PostQuitMessage(0);
    KillTimer(window_, ID_TIMER);
    for (int id : {ID_HOTKEY_DISCONNECT, ID_HOTKEY_MOUSE_ON, ID_HOTKEY_MOUSE_OFF}) UnregisterHotKey(window_, id);
    SingleInstance::unmark(window_);
    model_.close(rect_);
    events_.reset();
    tray_.reset();
    if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
    accelerators_ = nullptr;
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
    if (mouseMessage == WM_LBUTTONDBLCLK) model_.run(Command::ShowWindow);
    if (mouseMessage == WM_RBUTTONDOWN) tray_->showMenu(instance_, IDM_TRAY);
}

void MainWindow::showStatusPart(int part, std::u16string_view text) {
    RECT room{};
    SendMessageW(statusBar_, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&room));
    HDC dc = GetDC(statusBar_);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(statusBar_, WM_GETFONT, 0, 0)));
    const LONG width = room.right - room.left - 8;  // the part's borders and margins
    auto fits = [&](std::u16string_view candidate) {
        SIZE size{};
        std::wstring line = wide(candidate);
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
        return size.cx <= width;
    };
    std::wstring shown = wide(fitAtWord(text, fits));
    SelectObject(dc, font);
    ReleaseDC(statusBar_, dc);
    SendMessageW(statusBar_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(shown.c_str()));
    std::u16string tip(ui::text(TextId::StatusBarHint));
    if (!text.empty()) tip = std::u16string(text) + u"\n" + tip;
    std::wstring tipText = wide(tip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = statusBar_;
    tool.uId = static_cast<UINT_PTR>(part);
    tool.lpszText = tipText.data();
    SendMessageW(statusTips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::showTrayTooltip(std::u16string_view text) { tray_->setTooltip(text); }

void MainWindow::alert(std::u16string_view title, std::u16string_view text) {
    // Shown once the window is up and its timer runs, so the box never holds the start.
    alerts_.emplace_back(title, text);
    PostMessageW(window_, kAlertMessage, 0, 0);
}

void MainWindow::showAlert() {
    if (alerts_.empty()) return;
    auto [title, text] = alerts_.front();
    alerts_.pop_front();
    MessageBoxW(window_, wide(text).c_str(), wide(title).c_str(), MB_OK | MB_ICONERROR);
}

void MainWindow::showAddress(std::u16string_view address) { setItemText(window_, IDC_ADDRESS, address); }

void MainWindow::showEventWindow() { events_->open(); }

void MainWindow::eventsAdded() {
    if (events_) events_->update();
}

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
    return win32::runSettingsDialog(instance_, window_, model_.controller(), executableFolder_);
}

std::optional<std::u16string> MainWindow::chooseListFile(const ListFileStart& start) {
    return win32::chooseListFile(window_, start);
}

std::optional<std::u16string> MainWindow::chooseFolder(std::u16string_view start) {
    return win32::chooseFolder(window_, start);
}

EditorOutcome MainWindow::openInEditor(std::u16string_view path) {
    // Notepad's start is not checked, as the original program never did; Notepad itself offers
    // to make a missing file.
    openInNotepad(path);
    return EditorOutcome::Opened;
}

void MainWindow::showFromTray() {
    tray_->remove();
    ShowWindow(window_, SW_SHOW);
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
}

void MainWindow::closeWindow() { DestroyWindow(window_); }

}  // namespace tvr::ui::win32
