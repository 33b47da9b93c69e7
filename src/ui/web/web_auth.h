// SPDX-License-Identifier: MIT
#pragma once
// Who may use the web page: the sign-in token the start-up summary prints (taken from this PC
// only), the web password a browser on the home network signs in with (locked for a while after
// a wrong one, as the headset's password is), the sessions they open (each with its own
// anti-forgery token), and the Host names that name this machine.
#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"

namespace tvr::ui::web {

/// Random bytes from the OS as lower-case hex; nothing when the OS's source cannot be read.
std::optional<std::string> randomHex(std::size_t bytes);
/// Compares two secrets in a time that does not depend on where they differ.
bool sameSecret(std::string_view a, std::string_view b);

class WebAuth {
public:
    static constexpr std::size_t kMaxSessions = 32;
    /// How long the password is refused after a wrong one (the headset's lockout).
    static constexpr std::uint32_t kLockoutMs = 30000;

    enum class Login { SignedIn, Wrong, LockedOut, NoPassword };

    /// token: the sign-in token; hostNames: the names and addresses that name this machine;
    /// clock: what the password lockout is timed by.
    WebAuth(std::string token, std::vector<std::string> hostNames, core::Clock& clock = core::SystemClock::instance());
    /// The page's port, which every Host header must carry.
    void setPort(std::uint16_t port) { port_ = port; }
    /// True when the candidate is the sign-in token.
    bool tokenMatches(std::string_view candidate) const { return sameSecret(candidate, token_); }
    /// The web password's hash string (empty: none set, nobody signs in by password).
    void setPasswordHash(std::string hash) { passwordHash_ = std::move(hash); }
    /// True when a web password is set.
    bool hasPassword() const { return !passwordHash_.empty(); }
    /// Checks a password: during a lockout nothing is checked and the lockout is not extended;
    /// a wrong one locks every further try out for kLockoutMs, whichever address it comes from.
    Login logIn(std::string_view password);
    /// Opens a session (the oldest of kMaxSessions is dropped); its id, or empty without
    /// randomness. local: opened by the token on this PC (such a session may set the password).
    std::string openSession(bool local);
    /// The anti-forgery token of a session, or null when the id opens none.
    const std::string* csrfOf(std::string_view sessionId) const;
    /// True when the id opens a session that the token opened on this PC.
    bool sessionIsLocal(std::string_view sessionId) const;
    /// True when a Host header names this machine with the page's port.
    bool hostAllowed(std::string_view host) const;

private:
    struct Session {
        std::string id;
        std::string csrf;
        bool local = false;
    };
    const Session* find(std::string_view sessionId) const;

    std::string token_;
    core::Clock& clock_;
    std::string passwordHash_;
    std::uint32_t lockoutEnd_ = 0;
    bool lockoutActive_ = false;
    std::vector<std::string> hosts_;
    std::atomic<std::uint16_t> port_{0};
    std::deque<Session> sessions_;
};

}  // namespace tvr::ui::web
