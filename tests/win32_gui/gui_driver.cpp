// SPDX-License-Identifier: MIT
// Drives the desktop program's windows from another process, as a person at the screen would:
// finds a window by its title, reads and sets control texts, clicks buttons, picks combo items,
// and times messages on the window's thread. One action per run; texts in and out are UTF-8.
//
//   gui_driver wait TITLE [MS]            waits until a visible window has the title
//   gui_driver gone TITLE [MS]            waits until no window has the title
//   gui_driver visible TITLE              prints 1 or 0
//   gui_driver title TITLE                prints the window's title (found by it)
//   gui_driver text TITLE ID              prints a control's text
//   gui_driver set TITLE ID TEXT          sets a control's text
//   gui_driver enabled TITLE ID           prints 1 or 0
//   gui_driver click TITLE ID             clicks a button (posted, so a dialog it opens does not block)
//   gui_driver select TITLE ID INDEX      selects a combo item and tells the window
//   gui_driver post TITLE MESSAGE W L     posts a message to the window
//   gui_driver time TITLE MESSAGE W COUNT sends a message COUNT times, prints the longest in ms
//   gui_driver rect TITLE                 prints left top right bottom
//   gui_driver key TITLE ID VK            posts a key press (WM_KEYDOWN) to a control
//   gui_driver part TITLE ID PART         prints a status bar part's text
//   gui_driver tip TITLE ID PART          prints the tooltip of a status bar part (the window's own
//                                         tooltip control's tool for it)
//   gui_driver items TITLE ID             prints a list box's lines
//   gui_driver dump TITLE                 prints the title, every control's text and every
//                                         combo box item, one a line
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

HWND findWindow(const wchar_t* title) { return FindWindowW(nullptr, title); }

HWND waitFor(const wchar_t* title, int ms, bool present) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        HWND window = findWindow(title);
        if (present && window != nullptr && IsWindowVisible(window)) return window;
        if (!present && window == nullptr) return reinterpret_cast<HWND>(1);
        Sleep(50);
    } while (std::chrono::steady_clock::now() < deadline);
    return nullptr;
}

std::wstring controlText(HWND control) {
    wchar_t buffer[4096] = {};
    SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000, nullptr);
    return buffer;
}

// A text a common control writes into a buffer: the buffer lives in the control's process, since
// messages from WM_USER on carry a pointer that Windows does not copy between processes.
std::wstring remoteText(HWND control, UINT message, WPARAM wParam) {
    constexpr SIZE_T kChars = 4096;
    DWORD process = 0;
    GetWindowThreadProcessId(control, &process);
    HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (handle == nullptr) return L"";
    void* buffer = VirtualAllocEx(handle, nullptr, kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE);
    std::wstring text(kChars, L'\0');
    if (buffer != nullptr) {
        SendMessageTimeoutW(control, message, wParam, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
        ReadProcessMemory(handle, buffer, text.data(), kChars * sizeof(wchar_t), nullptr);
        VirtualFreeEx(handle, buffer, 0, MEM_RELEASE);
    }
    CloseHandle(handle);
    text.resize(wcsnlen(text.c_str(), kChars));
    return text;
}

struct ToolSearch {
    HWND owner;
    HWND bar;
    UINT_PTR part;
    std::wstring text;
};

// The tooltip text of a tool, read through a TOOLINFOW and a buffer in the tooltip's process.
std::wstring remoteToolText(HWND tips, HWND bar, UINT_PTR part) {
    constexpr SIZE_T kChars = 4096;
    DWORD process = 0;
    GetWindowThreadProcessId(tips, &process);
    HANDLE handle = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (handle == nullptr) return L"";
    auto* block = static_cast<char*>(
        VirtualAllocEx(handle, nullptr, sizeof(TOOLINFOW) + kChars * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    std::wstring text(kChars, L'\0');
    if (block != nullptr) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.hwnd = bar;
        tool.uId = part;
        tool.lpszText = reinterpret_cast<wchar_t*>(block + sizeof(TOOLINFOW));
        WriteProcessMemory(handle, block, &tool, sizeof(tool), nullptr);
        WriteProcessMemory(handle, tool.lpszText, text.data(), sizeof(wchar_t), nullptr);
        SendMessageTimeoutW(tips, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(block), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
        ReadProcessMemory(handle, tool.lpszText, text.data(), kChars * sizeof(wchar_t), nullptr);
        VirtualFreeEx(handle, block, 0, MEM_RELEASE);
    }
    CloseHandle(handle);
    text.resize(wcsnlen(text.c_str(), kChars));
    return text;
}

// Looks through the tooltip windows the main window owns for the one that has the part's tool.
BOOL CALLBACK findToolText(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<ToolSearch*>(search);
    wchar_t kind[32] = {};
    GetClassNameW(window, kind, 32);
    if (GetWindow(window, GW_OWNER) != wanted->owner || lstrcmpiW(kind, TOOLTIPS_CLASSW) != 0) return TRUE;
    wanted->text = remoteToolText(window, wanted->bar, wanted->part);
    return wanted->text.empty();
}

// Prints each item of a combo box or list box, one a line. Messages below WM_USER, as these
// are, carry their text between processes themselves.
void printItems(HWND control, UINT countMessage, UINT lengthMessage, UINT textMessage) {
    LRESULT count = SendMessageW(control, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0)) + 1,
                          L'\0');
        item.resize(static_cast<std::size_t>(
            SendMessageW(control, textMessage, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()))));
        std::printf("%s\n", utf8(item).c_str());
    }
}

// Prints one control's text, and a combo box's items.
BOOL CALLBACK dumpControl(HWND control, LPARAM) {
    std::printf("%s\n", utf8(controlText(control)).c_str());
    wchar_t kind[32] = {};
    GetClassNameW(control, kind, 32);
    if (lstrcmpiW(kind, L"ComboBox") == 0) {
        printItems(control, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
    }
    return TRUE;
}

int usage() {
    std::fputs("usage: gui_driver ACTION TITLE [ARGS]; see the source's head\n", stderr);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return usage();
    std::wstring action = argv[1];
    const wchar_t* title = argv[2];
    auto number = [&](int index, int fallback) { return argc > index ? _wtoi(argv[index]) : fallback; };
    if (action == L"wait") return waitFor(title, number(3, 10000), true) != nullptr ? 0 : 1;
    if (action == L"gone") return waitFor(title, number(3, 10000), false) != nullptr ? 0 : 1;
    HWND window = findWindow(title);
    if (window == nullptr) {
        std::fprintf(stderr, "gui_driver: no window titled %s\n", utf8(title).c_str());
        return 1;
    }
    HWND control = argc > 3 ? GetDlgItem(window, _wtoi(argv[3])) : nullptr;
    if (action == L"visible") {
        std::printf("%d\n", IsWindowVisible(window) ? 1 : 0);
    } else if (action == L"title") {
        std::printf("%s\n", utf8(controlText(window)).c_str());
    } else if (action == L"rect") {
        RECT rect{};
        GetWindowRect(window, &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    } else if (action == L"post" && argc > 5) {
        PostMessageW(window, static_cast<UINT>(_wtoi(argv[3])), static_cast<WPARAM>(_wtoi(argv[4])), _wtoi(argv[5]));
    } else if (action == L"time" && argc > 5) {
        double longest = 0;
        for (int i = 0; i < _wtoi(argv[5]); ++i) {
            auto start = std::chrono::steady_clock::now();
            SendMessageW(window, static_cast<UINT>(_wtoi(argv[3])), static_cast<WPARAM>(_wtoi(argv[4])), 0);
            std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
            if (took.count() > longest) longest = took.count();
        }
        std::printf("%.1f\n", longest);
    } else if (action == L"dump") {
        std::printf("%s\n", utf8(controlText(window)).c_str());
        EnumChildWindows(window, dumpControl, 0);
    } else if (control == nullptr) {
        std::fprintf(stderr, "gui_driver: no control with that id\n");
        return 1;
    } else if (action == L"text") {
        std::printf("%s\n", utf8(controlText(control)).c_str());
    } else if (action == L"set" && argc > 4) {
        SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 5000, nullptr);
    } else if (action == L"key" && argc > 4) {
        PostMessageW(control, WM_KEYDOWN, static_cast<WPARAM>(_wtoi(argv[4])), 1);
    } else if (action == L"part" && argc > 4) {
        std::printf("%s\n", utf8(remoteText(control, SB_GETTEXTW, static_cast<WPARAM>(_wtoi(argv[4])))).c_str());
    } else if (action == L"tip" && argc > 4) {
        ToolSearch search{window, control, static_cast<UINT_PTR>(_wtoi(argv[4])), L""};
        EnumWindows(findToolText, reinterpret_cast<LPARAM>(&search));
        std::printf("%s\n", utf8(search.text).c_str());
    } else if (action == L"items") {
        printItems(control, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
    } else if (action == L"enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
    } else if (action == L"click") {
        PostMessageW(control, BM_CLICK, 0, 0);
    } else if (action == L"select" && argc > 4) {
        SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(argv[4])), 0);
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(control));
    } else {
        return usage();
    }
    std::fflush(stdout);
    return 0;
}
