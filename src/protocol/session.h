// SPDX-License-Identifier: MIT
#pragma once
// The state of the control line that handlers read and change: who is connected, whether they
// passed the password, the password lockout and the headset's suspension of the no-traffic
// time-out (both outlive a connection), and a list being saved over the records that follow.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace tvr::protocol {

class SaveChannelState;

/// A login and the address its connection came from.
struct LoginPeer {
    std::uint64_t login = 0;  // 0: nobody is logged in
    std::uint32_t address = 0;
};

struct Session {
    Session();
    ~Session();

    /// Clears what belongs to one connection (address, password, a save in progress).
    void startConnection(std::uint32_t address);
    void endConnection();
    /// The connection has logged in: it gets the next login identity, unless it has one already.
    void authenticate();
    /// The current login with its connection's address, read consistently from any thread.
    LoginPeer loginPeer() const;

    std::atomic<bool> connected{false};
    std::atomic<bool> authenticated{false};
    // What the video server binds its connections to: a stream belongs to one login, never to the next.
    std::atomic<std::uint64_t> login{0};       // 0 while not authenticated
    std::atomic<std::uint64_t> endedLogin{0};  // the last login that ended
    std::uint64_t loginCount = 0;
    std::atomic<std::uint32_t> clientAddress{0};  // host byte order; the video server asks for it
    std::uint32_t lockoutEnd = 0;                 // end of the password lockout
    bool lockoutActive = false;
    bool suspended = false;       // the no-traffic time-out is not applied
    bool suspendChanged = false;  // the next CM_LIVE_TIME reports the state
    std::unique_ptr<SaveChannelState> saving;
    // Why the record being answered was refused, in English, for the front-end's line; a handler
    // that posts a status instead leaves it empty and the status explains.
    std::u16string refusal;
};

}  // namespace tvr::protocol
