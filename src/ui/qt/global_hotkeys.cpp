// SPDX-License-Identifier: MIT
#include "ui/qt/global_hotkeys.h"

#include <QSocketNotifier>
#include <array>

#include "ui/dialog_ids.h"
#include "ui/qt/qt_text.h"
// Last: Xlib's macros (None, Bool, KeyPress) would clash with names in the Qt headers.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace tvr::ui::qt {
namespace {

constexpr unsigned kModifiers = ControlMask | ShiftMask | Mod1Mask;
// Caps Lock and Num Lock change a key press's state, so the keys are grabbed with each of them.
constexpr std::array<unsigned, 4> kLockStates = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

struct Key {
    KeySym symbol;
    int id;
};
constexpr std::array<Key, 3> kKeys = {
    {{XK_s, ID_HOTKEY_DISCONNECT}, {XK_m, ID_HOTKEY_MOUSE_ON}, {XK_d, ID_HOTKEY_MOUSE_OFF}}};

// X reports a refused grab later, as an error; the handler is ours only while grabbing.
bool grabRefused = false;
int noteRefusal(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess) grabRefused = true;
    return 0;
}

}  // namespace

struct GlobalHotKeys::Connection {
    Display* display = nullptr;
    std::array<KeyCode, kKeys.size()> codes{};
    std::unique_ptr<QSocketNotifier> notifier;

    void ungrab() {
        Window root = DefaultRootWindow(display);
        for (KeyCode code : codes) {
            if (code == 0) continue;
            for (unsigned lock : kLockStates) XUngrabKey(display, code, kModifiers | lock, root);
        }
    }
    ~Connection() {
        notifier.reset();
        ungrab();
        XCloseDisplay(display);
    }
};

GlobalHotKeys::GlobalHotKeys(std::function<void(int)> pressed) : pressed_(std::move(pressed)) {}

GlobalHotKeys::~GlobalHotKeys() = default;

std::u16string GlobalHotKeys::grab() {
    connection_.reset();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return fromQString(translated(u"ホットキー (Ctrl+Shift+Alt+S/M/D) は使えません: X ディスプレイがありません"));
    auto connection = std::make_unique<Connection>();
    connection->display = display;
    Window root = DefaultRootWindow(display);
    grabRefused = false;
    XErrorHandler previous = XSetErrorHandler(noteRefusal);
    bool mapped = true;
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        connection->codes[i] = XKeysymToKeycode(display, kKeys[i].symbol);
        if (connection->codes[i] == 0) {
            mapped = false;
            continue;
        }
        for (unsigned lock : kLockStates)
            XGrabKey(display, connection->codes[i], kModifiers | lock, root, False, GrabModeAsync, GrabModeAsync);
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    if (grabRefused || !mapped) {
        return fromQString(
            grabRefused ? translated(u"ホットキー (Ctrl+Shift+Alt+S/M/D) は使えません: 他のプログラムが使っています")
                        : translated(u"ホットキー (Ctrl+Shift+Alt+S/M/D) は使えません: キーボードにキーがありません"));
    }
    connection->notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    QObject::connect(connection->notifier.get(), &QSocketNotifier::activated, [this] { drain(); });
    connection_ = std::move(connection);
    drain();
    return {};
}

void GlobalHotKeys::drain() {
    Display* display = connection_->display;
    // Xlib may already have read events into its queue, so the queue is emptied, not the socket.
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != KeyPress || (event.xkey.state & kModifiers) != kModifiers) continue;
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            if (event.xkey.keycode == connection_->codes[i]) pressed_(kKeys[i].id);
        }
    }
}

}  // namespace tvr::ui::qt
