// SPDX-License-Identifier: MIT
#pragma once
// What the video server (and the mouse relay) ask the control server before they serve the headset. Called from the
// video server's thread without the control server's lock, so implementations must be thread-safe.
#include <cstdint>
#include <functional>
#include <string_view>

namespace tvr::core {

class AccessGate {
public:
    virtual ~AccessGate() = default;
    /// True when the extension filter accepts the path.
    virtual bool isVideoAccepted(std::u16string_view path) const = 0;
    /// True while a control client is authenticated.
    virtual bool isClientAuthenticated() const = 0;
    /// The authenticated control client's IPv4 address (host byte order).
    virtual std::uint32_t clientAddress() const = 0;
    /// The authenticated login's identity, larger for every later login; 0 while none is authenticated.
    virtual std::uint64_t currentLogin() const = 0;
    /// Has onLogin called, from the gate's own thread, whenever a login begins (replacing any earlier one).
    virtual void watchLogins(std::function<void()> onLogin) = 0;
};

}  // namespace tvr::core
