// SPDX-License-Identifier: MIT
// Curvane on Windows. A thread of its own owns a message loop, a message-only window that takes
// raw input from every mouse (device counts, not held at the screen's edges, before pointer
// acceleration) and a low-level mouse hook that swallows every mouse event while capturing, so
// the PC pointer neither moves nor clicks. A low-level keyboard hook watches for
// Ctrl+Shift+Alt+D, which ends the capture from inside. Under Wine the X pointer has moved
// before any hook can swallow the event, and Wine measures raw input from where it believes the
// cursor is, so there the pointer is put back where the capture began after every event.
#include <windows.h>

#include <array>
#include <atomic>
#include <new>

#include "platform/curvane/curvane.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CurvaneRawInput";
constexpr DWORD kThreadWaitMs = 20000;  // Wine may take seconds for a first window
constexpr std::size_t kStateCount = 7;
constexpr UINT kPutBack = WM_APP + 1;

std::atomic<std::int32_t> lastFailure{kCurvaneNoFailure};

struct Capture {
    CRITICAL_SECTION lock;  // what the capture thread collects and the snapshot
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
    HWND window = nullptr;
    POINT anchor{};  // where the pointer stays while capturing
    bool underWine = false;
    std::int32_t startFailure = kCurvaneNoFailure;
    bool capturing = false;

    LONG dx = 0;
    LONG dy = 0;
    LONG wheel = 0;
    std::array<bool, 3> held{};
    std::array<bool, 3> pressedSinceGet{};  // a click shorter than a poll still shows once
    bool givenBack = false;
    bool haveAbsolute = false;
    LONG lastAbsoluteX = 0;
    LONG lastAbsoluteY = 0;
    std::array<std::int32_t, kStateCount> snapshot{};
    std::array<bool, 256> keyDown{};
};

// The hook procedures carry no user data, so the one capturing handle is known here.
std::atomic<Capture*> capturingHandle{nullptr};

HMODULE thisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&capturingHandle), &module);
    return module;
}

class Locked {
public:
    explicit Locked(Capture& capture) : capture_(capture) { ::EnterCriticalSection(&capture_.lock); }
    ~Locked() { ::LeaveCriticalSection(&capture_.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Capture& capture_;
};

void setButton(Capture& capture, std::size_t slot, USHORT flags, USHORT down, USHORT up) {
    if (flags & down) {
        capture.held[slot] = true;
        capture.pressedSinceGet[slot] = true;
    }
    if (flags & up) capture.held[slot] = false;
}

void onRawMouse(Capture& capture, const RAWMOUSE& mouse) {
    Locked lock(capture);
    if (mouse.usFlags & MOUSE_MOVE_ABSOLUTE) {
        // Remote desktops, tablets and virtual machines report positions (0 to 65535 across the
        // screen); movement is the change in pixels.
        bool virtualDesk = (mouse.usFlags & MOUSE_VIRTUAL_DESKTOP) != 0;
        LONG width = ::GetSystemMetrics(virtualDesk ? SM_CXVIRTUALSCREEN : SM_CXSCREEN);
        LONG height = ::GetSystemMetrics(virtualDesk ? SM_CYVIRTUALSCREEN : SM_CYSCREEN);
        LONG x = static_cast<LONG>(static_cast<LONGLONG>(mouse.lLastX) * width / 65535);
        LONG y = static_cast<LONG>(static_cast<LONGLONG>(mouse.lLastY) * height / 65535);
        if (capture.haveAbsolute) {
            capture.dx += x - capture.lastAbsoluteX;
            capture.dy += y - capture.lastAbsoluteY;
        }
        capture.haveAbsolute = true;
        capture.lastAbsoluteX = x;
        capture.lastAbsoluteY = y;
    } else {
        capture.dx += mouse.lLastX;
        capture.dy += mouse.lLastY;
    }
    USHORT flags = mouse.usButtonFlags;
    setButton(capture, 0, flags, RI_MOUSE_BUTTON_1_DOWN, RI_MOUSE_BUTTON_1_UP);
    setButton(capture, 1, flags, RI_MOUSE_BUTTON_2_DOWN, RI_MOUSE_BUTTON_2_UP);
    setButton(capture, 2, flags, RI_MOUSE_BUTTON_3_DOWN, RI_MOUSE_BUTTON_3_UP);
    if (flags & RI_MOUSE_WHEEL) capture.wheel += static_cast<SHORT>(mouse.usButtonData);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPutBack) {
        auto* capture = reinterpret_cast<Capture*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (capture != nullptr) {
            // Wine warps only when the position differs from its own idea of the cursor, which
            // the swallowed event left at the anchor.
            ::SetCursorPos(static_cast<int>(wParam), static_cast<int>(lParam));
            ::SetCursorPos(capture->anchor.x, capture->anchor.y);
        }
        return 0;
    }
    if (message == WM_INPUT) {
        auto* capture = reinterpret_cast<Capture*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        RAWINPUT input{};
        UINT size = sizeof input;
        if (capture != nullptr &&
            ::GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, &input, &size, sizeof(RAWINPUTHEADER)) !=
                static_cast<UINT>(-1) &&
            input.header.dwType == RIM_TYPEMOUSE) {
            onRawMouse(*capture, input.data.mouse);
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK mouseHook(int code, WPARAM wParam, LPARAM lParam) {
    // Every mouse event is swallowed while capturing: the raw input above has already seen it.
    Capture* capture = capturingHandle.load();
    if (code == HC_ACTION && capture != nullptr) {
        const auto& event = *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        if (capture->underWine && (event.pt.x != capture->anchor.x || event.pt.y != capture->anchor.y)) {
            ::PostMessageW(capture->window, kPutBack, static_cast<WPARAM>(event.pt.x), event.pt.y);
        }
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool anyDown(const Capture& capture, std::initializer_list<BYTE> keys) {
    for (BYTE key : keys) {
        if (capture.keyDown[key]) return true;
    }
    return false;
}

LRESULT CALLBACK keyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    Capture* capture = capturingHandle.load();
    if (code == HC_ACTION && capture != nullptr) {
        const auto& key = *reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
        if (key.vkCode < capture->keyDown.size()) capture->keyDown[key.vkCode] = down;
        if (down && key.vkCode == 'D' && anyDown(*capture, {VK_LCONTROL, VK_RCONTROL, VK_CONTROL}) &&
            anyDown(*capture, {VK_LSHIFT, VK_RSHIFT, VK_SHIFT}) && anyDown(*capture, {VK_LMENU, VK_RMENU, VK_MENU})) {
            // The user takes the pointer back; the loop ends and its hooks go.
            {
                Locked lock(*capture);
                capture->givenBack = true;
            }
            ::PostQuitMessage(0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

DWORD WINAPI captureThread(void* parameter) {
    auto& capture = *static_cast<Capture*>(parameter);
    HMODULE module = thisModule();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when an earlier capture registered it
    ::GetCursorPos(&capture.anchor);
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    capture.window = window;
    HHOOK mouse = nullptr;
    HHOOK keyboard = nullptr;
    if (window == nullptr) {
        capture.startFailure = kCurvaneNoResources;
    } else {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&capture));
        RAWINPUTDEVICE device{0x01, 0x02, RIDEV_INPUTSINK, window};  // generic desktop, mouse
        mouse = ::SetWindowsHookExW(WH_MOUSE_LL, mouseHook, module, 0);
        keyboard = ::SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHook, module, 0);
        if (!::RegisterRawInputDevices(&device, 1, sizeof device) || mouse == nullptr || keyboard == nullptr) {
            capture.startFailure = kCurvaneHookRefused;
        }
    }
    MSG message{};
    // The queue exists before Start returns, so a stop can always post its WM_QUIT.
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    bool running = capture.startFailure == kCurvaneNoFailure;
    ::SetEvent(capture.ready);
    while (running && ::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    capturingHandle.store(nullptr);
    if (keyboard != nullptr) ::UnhookWindowsHookEx(keyboard);
    if (mouse != nullptr) ::UnhookWindowsHookEx(mouse);
    RAWINPUTDEVICE removal{0x01, 0x02, RIDEV_REMOVE, nullptr};
    ::RegisterRawInputDevices(&removal, 1, sizeof removal);
    if (window != nullptr) ::DestroyWindow(window);
    return 0;
}

// Ends the capture thread, whether a stop asks or the user's keys ended it already.
void joinThread(Capture& capture) {
    if (capture.thread == nullptr) return;
    ::PostThreadMessageW(capture.threadId, WM_QUIT, 0, 0);
    ::WaitForSingleObject(capture.thread, INFINITE);
    ::CloseHandle(capture.thread);
    capture.thread = nullptr;
    capture.capturing = false;
    Locked lock(capture);
    capture.held = {};
}

}  // namespace

CURVANE_API void* Curvane_Create() {
    HDESK desktop = ::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (desktop == nullptr) {
        lastFailure = kCurvaneNoDisplay;  // a service or a locked session has no input desktop
        return nullptr;
    }
    ::CloseDesktop(desktop);
    auto* capture = new (std::nothrow) Capture;
    if (capture == nullptr) {
        lastFailure = kCurvaneNoResources;
        return nullptr;
    }
    ::InitializeCriticalSection(&capture->lock);
    capture->underWine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    capture->ready = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (capture->ready == nullptr) {
        ::DeleteCriticalSection(&capture->lock);
        delete capture;
        lastFailure = kCurvaneNoResources;
        return nullptr;
    }
    lastFailure = kCurvaneNoFailure;
    return capture;
}

CURVANE_API std::int32_t Curvane_Start(void* handle) {
    if (handle == nullptr) return 0;
    auto& capture = *static_cast<Capture*>(handle);
    if (capture.capturing && capturingHandle.load() == &capture) return 1;
    joinThread(capture);  // a capture the user's keys ended
    Capture* expected = nullptr;
    if (!capturingHandle.compare_exchange_strong(expected, &capture)) {
        lastFailure = kCurvaneAlreadyTaken;
        return 0;
    }
    {
        Locked lock(capture);
        capture.dx = capture.dy = capture.wheel = 0;
        capture.held = {};
        capture.pressedSinceGet = {};
        capture.givenBack = false;
        capture.haveAbsolute = false;
        capture.keyDown = {};
    }
    capture.startFailure = kCurvaneNoFailure;
    capture.thread = ::CreateThread(nullptr, 0, captureThread, &capture, 0, &capture.threadId);
    if (capture.thread == nullptr || ::WaitForSingleObject(capture.ready, kThreadWaitMs) != WAIT_OBJECT_0) {
        capture.startFailure = kCurvaneNoResources;
    }
    if (capture.startFailure != kCurvaneNoFailure) {
        lastFailure = capture.startFailure;
        joinThread(capture);
        capturingHandle.store(nullptr);
        return 0;
    }
    capture.capturing = true;
    return 1;
}

CURVANE_API void Curvane_Stop(void* handle) {
    if (handle == nullptr) return;
    joinThread(*static_cast<Capture*>(handle));
}

CURVANE_API void Curvane_Get(void* handle) {
    if (handle == nullptr) return;
    auto& capture = *static_cast<Capture*>(handle);
    Locked lock(capture);
    capture.snapshot[kCurvaneDeltaX] = capture.dx;
    capture.snapshot[kCurvaneDeltaY] = capture.dy;
    capture.snapshot[kCurvaneDeltaWheel] = capture.wheel;
    capture.dx = capture.dy = capture.wheel = 0;
    for (std::size_t i = 0; i < capture.held.size(); ++i) {
        capture.snapshot[kCurvaneButton1 + i] = capture.held[i] || capture.pressedSinceGet[i] ? 1 : 0;
    }
    capture.pressedSinceGet = {};
    capture.snapshot[kCurvaneGivenBack] = capture.givenBack ? 1 : 0;
}

CURVANE_API std::int32_t Curvane_GetState(void* handle, std::int32_t index) {
    if (handle == nullptr) return index == 0 ? lastFailure.load() : 0;
    auto& capture = *static_cast<Capture*>(handle);
    if (index < 0 || index >= static_cast<std::int32_t>(kStateCount)) return 0;
    Locked lock(capture);
    return capture.snapshot[static_cast<std::size_t>(index)];
}

CURVANE_API void Curvane_Release(void* handle) {
    if (handle == nullptr) return;
    auto* capture = static_cast<Capture*>(handle);
    joinThread(*capture);
    ::CloseHandle(capture->ready);
    ::DeleteCriticalSection(&capture->lock);
    delete capture;
}
