// SPDX-License-Identifier: MIT
// Curvane on Linux with X11. Movement, wheel and buttons come from XInput 2 raw events on the
// root window, which carry the device's own counts before acceleration and are not held at the
// screen's edges. While capturing, the pointer is grabbed and confined to a 1x1 input-only
// window at its position, so it neither moves nor clicks anything on the desktop. The grab is
// held on a second connection: the X server gives raw events to every client but the grabbing one.
// Xlib ends the whole process when a connection breaks (the X server ended): both connections
// get an exit handler that returns instead, which leaves the connection dead but harmless (every
// later call on it fails at once), and the handle reports the display lost.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <new>
#include <unordered_map>
#include <vector>

#include "platform/curvane/curvane.h"

namespace {

std::atomic<std::int32_t> lastFailure{kCurvaneNoFailure};

constexpr std::int32_t kWheelNotch = 120;
constexpr std::size_t kStateCount = 8;

struct Capture {
    Display* display = nullptr;      // raw events
    Display* grabDisplay = nullptr;  // the pointer grab and its confining window
    Window root = 0;
    Window confine = 0;
    int xiOpcode = 0;
    std::mutex mutex;
    bool capturing = false;
    std::atomic<bool> lost{false};  // a connection broke: nothing more comes from this display

    // Collected since the previous snapshot; fractions of a count carry over.
    double dx = 0;
    double dy = 0;
    std::int32_t wheel = 0;
    std::array<bool, 3> held{};
    std::array<bool, 3> pressedSinceGet{};  // a click shorter than a poll still shows once
    bool givenBack = false;
    std::array<std::int32_t, kStateCount> snapshot{};

    std::array<bool, 256> keyDown{};
    KeyCode keyD = 0;
    std::array<KeyCode, 2> control{};
    std::array<KeyCode, 2> shift{};
    std::array<KeyCode, 3> alt{};
    std::unordered_map<int, bool> absoluteDevice;  // by source device id
};

bool anyDown(const Capture& capture, const auto& keys) {
    for (KeyCode key : keys) {
        if (key != 0 && capture.keyDown[key]) return true;
    }
    return false;
}

// Our connections, whose breaking the library reports instead of Xlib's message on stderr.
std::mutex ownedMutex;
std::vector<Display*> owned;
XIOErrorHandler previousIoHandler = nullptr;

int onIoError(Display* display) {
    {
        std::lock_guard lock(ownedMutex);
        for (Display* mine : owned) {
            if (mine == display) return 0;
        }
    }
    return previousIoHandler != nullptr ? previousIoHandler(display) : 0;
}

// Called by Xlib in place of exit() once one of the handle's connections broke.
void onConnectionLost(Display*, void* data) {
    static_cast<Capture*>(data)->lost = true;
    lastFailure = kCurvaneDisplayGone;
}

void own(Capture& capture, Display* display) {
    static std::once_flag installed;
    std::call_once(installed, [] { previousIoHandler = XSetIOErrorHandler(onIoError); });
    XSetIOErrorExitHandler(display, onConnectionLost, &capture);
    std::lock_guard lock(ownedMutex);
    owned.push_back(display);
}

// One entry only: a connection opened meanwhile may already have the same address.
void disown(Display* display) {
    std::lock_guard lock(ownedMutex);
    auto found = std::find(owned.begin(), owned.end(), display);
    if (found != owned.end()) owned.erase(found);
}

// Tablets and virtual machines' pointers report positions, not movement; their raw values
// would read as huge jumps, so their motion is left out.
bool isAbsolute(Capture& capture, int device) {
    auto found = capture.absoluteDevice.find(device);
    if (found != capture.absoluteDevice.end()) return found->second;
    bool absolute = false;
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(capture.display, device, &count);
    for (int i = 0; info != nullptr && i < count; ++i) {
        for (int c = 0; c < info[i].num_classes; ++c) {
            const XIAnyClassInfo* any = info[i].classes[c];
            if (any->type != XIValuatorClass) continue;
            const auto* valuator = reinterpret_cast<const XIValuatorClassInfo*>(any);
            if (valuator->number <= 1 && valuator->mode == XIModeAbsolute) absolute = true;
        }
    }
    if (info != nullptr) XIFreeDeviceInfo(info);
    capture.absoluteDevice[device] = absolute;
    return absolute;
}

void selectRawEvents(Capture& capture, bool on) {
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    if (on) {
        XISetMask(bits.data(), XI_RawMotion);
        XISetMask(bits.data(), XI_RawButtonPress);
        XISetMask(bits.data(), XI_RawButtonRelease);
        XISetMask(bits.data(), XI_RawKeyPress);
        XISetMask(bits.data(), XI_RawKeyRelease);
    }
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(capture.display, capture.root, &mask, 1);
}

void endCapture(Capture& capture) {
    if (!capture.capturing) return;
    if (capture.lost) {
        // The X server took the grab and the window with it.
        capture.capturing = false;
        capture.held = {};
        return;
    }
    selectRawEvents(capture, false);
    XUngrabPointer(capture.grabDisplay, CurrentTime);
    XDestroyWindow(capture.grabDisplay, capture.confine);
    capture.confine = 0;
    XSync(capture.grabDisplay, True);
    XSync(capture.display, True);  // the events of the capture are dropped with it
    capture.capturing = false;
    capture.held = {};
}

// Buttons 1 to 3 of the snapshot are left, right and middle: X numbers them 1, 3, 2.
int buttonSlot(int xButton) {
    switch (xButton) {
        case 1:
            return 0;
        case 3:
            return 1;
        case 2:
            return 2;
        default:
            return -1;
    }
}

void onButton(Capture& capture, int button, bool down) {
    if (down && (button == 4 || button == 5)) {
        capture.wheel += button == 4 ? kWheelNotch : -kWheelNotch;
        return;
    }
    int slot = buttonSlot(button);
    if (slot < 0) return;
    capture.held[static_cast<std::size_t>(slot)] = down;
    if (down) capture.pressedSinceGet[static_cast<std::size_t>(slot)] = true;
}

void onKey(Capture& capture, int keycode, bool down) {
    if (keycode < 0 || keycode >= static_cast<int>(capture.keyDown.size())) return;
    capture.keyDown[static_cast<std::size_t>(keycode)] = down;
    // Ctrl+Shift+Alt+D gives the pointer back even when no window of ours can take the key.
    if (down && keycode == capture.keyD && anyDown(capture, capture.control) && anyDown(capture, capture.shift) &&
        anyDown(capture, capture.alt)) {
        endCapture(capture);
        capture.givenBack = true;
    }
}

void onRawEvent(Capture& capture, const XIRawEvent& raw) {
    switch (raw.evtype) {
        case XI_RawMotion: {
            if (isAbsolute(capture, raw.sourceid)) return;
            const double* value = raw.raw_values;
            for (int bit = 0; bit < raw.valuators.mask_len * 8; ++bit) {
                if (!XIMaskIsSet(raw.valuators.mask, bit)) continue;
                if (bit == 0) capture.dx += *value;
                if (bit == 1) capture.dy += *value;
                ++value;
            }
            break;
        }
        case XI_RawButtonPress:
        case XI_RawButtonRelease:
            onButton(capture, raw.detail, raw.evtype == XI_RawButtonPress);
            break;
        case XI_RawKeyPress:
        case XI_RawKeyRelease:
            onKey(capture, raw.detail, raw.evtype == XI_RawKeyPress);
            break;
        default:
            break;
    }
}

void readEvents(Capture& capture) {
    while (capture.capturing && XPending(capture.display) > 0) {
        XEvent event;
        XNextEvent(capture.display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != capture.xiOpcode) continue;
        if (!XGetEventData(capture.display, cookie)) continue;
        onRawEvent(capture, *static_cast<const XIRawEvent*>(cookie->data));
        XFreeEventData(capture.display, cookie);
    }
}

std::int32_t takeWhole(double* value) {
    double whole = std::trunc(*value);
    *value -= whole;
    return static_cast<std::int32_t>(whole);
}

void* fail(CurvaneFailure failure) {
    lastFailure = failure;
    return nullptr;
}

}  // namespace

CURVANE_API void* Curvane_Create() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        return fail(wayland != nullptr && *wayland != '\0' ? kCurvaneWaylandOnly : kCurvaneNoDisplay);
    }
    Display* connection = XOpenDisplay(nullptr);
    if (connection == nullptr) return fail(kCurvaneNoDisplay);
    Display* grabConnection = XOpenDisplay(nullptr);
    if (grabConnection == nullptr) {
        XCloseDisplay(connection);
        return fail(kCurvaneNoDisplay);
    }
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    int major = 2;
    int minor = 2;
    if (!XQueryExtension(connection, "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(connection, &major, &minor) != Success || major < 2 || (major == 2 && minor < 1)) {
        XCloseDisplay(grabConnection);
        XCloseDisplay(connection);
        return fail(kCurvaneNoXInput2);
    }
    auto* capture = new (std::nothrow) Capture;
    if (capture == nullptr) {
        XCloseDisplay(grabConnection);
        XCloseDisplay(connection);
        return fail(kCurvaneNoResources);
    }
    own(*capture, connection);
    own(*capture, grabConnection);
    capture->display = connection;
    capture->grabDisplay = grabConnection;
    capture->root = DefaultRootWindow(connection);
    capture->xiOpcode = opcode;
    capture->keyD = XKeysymToKeycode(connection, XK_d);
    capture->control = {XKeysymToKeycode(connection, XK_Control_L), XKeysymToKeycode(connection, XK_Control_R)};
    capture->shift = {XKeysymToKeycode(connection, XK_Shift_L), XKeysymToKeycode(connection, XK_Shift_R)};
    capture->alt = {XKeysymToKeycode(connection, XK_Alt_L), XKeysymToKeycode(connection, XK_Alt_R),
                    XKeysymToKeycode(connection, XK_Meta_L)};
    lastFailure = kCurvaneNoFailure;
    return capture;
}

CURVANE_API std::int32_t Curvane_Start(void* handle) {
    if (handle == nullptr) return 0;
    auto& capture = *static_cast<Capture*>(handle);
    std::lock_guard lock(capture.mutex);
    if (capture.lost) {
        lastFailure = kCurvaneDisplayGone;
        return 0;
    }
    if (capture.capturing) return 1;
    Window rootReturn = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    XQueryPointer(capture.grabDisplay, capture.root, &rootReturn, &child, &x, &y, &windowX, &windowY, &buttons);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    capture.confine = XCreateWindow(capture.grabDisplay, capture.root, x, y, 1, 1, 0, 0, InputOnly, CopyFromParent,
                                    CWOverrideRedirect, &attributes);
    XMapWindow(capture.grabDisplay, capture.confine);
    XSync(capture.grabDisplay, False);
    int grabbed =
        XGrabPointer(capture.grabDisplay, capture.root, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                     GrabModeAsync, GrabModeAsync, capture.confine, None, CurrentTime);
    if (capture.lost) {
        // A dead connection answers every request with success.
        capture.confine = 0;
        return 0;
    }
    if (grabbed != GrabSuccess) {
        XDestroyWindow(capture.grabDisplay, capture.confine);
        capture.confine = 0;
        XSync(capture.grabDisplay, False);
        lastFailure = kCurvaneGrabRefused;
        return 0;
    }
    selectRawEvents(capture, true);
    XSync(capture.display, True);
    if (capture.lost) return 0;
    capture.capturing = true;
    capture.givenBack = false;
    capture.dx = capture.dy = 0;
    capture.wheel = 0;
    capture.held = {};
    capture.pressedSinceGet = {};
    capture.keyDown = {};
    return 1;
}

CURVANE_API void Curvane_Stop(void* handle) {
    if (handle == nullptr) return;
    auto& capture = *static_cast<Capture*>(handle);
    std::lock_guard lock(capture.mutex);
    endCapture(capture);
}

CURVANE_API void Curvane_Get(void* handle) {
    if (handle == nullptr) return;
    auto& capture = *static_cast<Capture*>(handle);
    std::lock_guard lock(capture.mutex);
    readEvents(capture);
    // Reading finds no events on a broken connection but does not report it; a request that
    // needs no answer does, at once.
    XNoOp(capture.display);
    XFlush(capture.display);
    if (capture.lost) {
        capture.capturing = false;
        capture.snapshot = {};
        capture.snapshot[kCurvaneDisplayLost] = 1;
        return;
    }
    capture.snapshot[kCurvaneDeltaX] = takeWhole(&capture.dx);
    capture.snapshot[kCurvaneDeltaY] = takeWhole(&capture.dy);
    capture.snapshot[kCurvaneDeltaWheel] = capture.wheel;
    capture.wheel = 0;
    for (std::size_t i = 0; i < capture.held.size(); ++i) {
        capture.snapshot[kCurvaneButton1 + i] = capture.held[i] || capture.pressedSinceGet[i] ? 1 : 0;
    }
    capture.pressedSinceGet = {};
    capture.snapshot[kCurvaneGivenBack] = capture.givenBack ? 1 : 0;
}

CURVANE_API std::int32_t Curvane_GetState(void* handle, std::int32_t index) {
    if (handle == nullptr) return index == 0 ? lastFailure.load() : 0;
    auto& capture = *static_cast<Capture*>(handle);
    std::lock_guard lock(capture.mutex);
    if (index < 0 || index >= static_cast<std::int32_t>(kStateCount)) return 0;
    return capture.snapshot[static_cast<std::size_t>(index)];
}

CURVANE_API void Curvane_Release(void* handle) {
    if (handle == nullptr) return;
    auto* capture = static_cast<Capture*>(handle);
    {
        std::lock_guard lock(capture->mutex);
        endCapture(*capture);
        XCloseDisplay(capture->grabDisplay);
        XCloseDisplay(capture->display);
        disown(capture->grabDisplay);
        disown(capture->display);
    }
    delete capture;
}
