// SPDX-License-Identifier: MIT
#pragma once
// Ctrl+Shift+Alt+S, M and D for the whole desktop: passive grabs on the X display's root window,
// read through the Qt event loop without a thread or a timer.
#include <functional>
#include <memory>
#include <string>

namespace tvr::ui::qt {

class GlobalHotKeys {
public:
    /// pressed receives the hot key's id (260 S, 261 M, 262 D) on the event loop's thread.
    explicit GlobalHotKeys(std::function<void(int)> pressed);
    ~GlobalHotKeys();
    GlobalHotKeys(const GlobalHotKeys&) = delete;
    GlobalHotKeys& operator=(const GlobalHotKeys&) = delete;

    /// Grabs the three keys; empty when they are held, otherwise why they cannot be (no X
    /// display, as on Wayland without X, or another program holds one), with nothing grabbed.
    std::u16string grab();

private:
    struct Connection;
    void drain();

    std::function<void(int)> pressed_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace tvr::ui::qt
