// SPDX-License-Identifier: MIT
#pragma once
// Who may use the web page: the sign-in token the start-up summary prints, the sessions it opens
// (each with its own anti-forgery token), and the Host names that name this machine.
#include <atomic>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::ui::web {

/// Random bytes from the OS as lower-case hex; nothing when the OS's source cannot be read.
std::optional<std::string> randomHex(std::size_t bytes);
/// Compares two secrets in a time that does not depend on where they differ.
bool sameSecret(std::string_view a, std::string_view b);

class WebAuth {
public:
    static constexpr std::size_t kMaxSessions = 32;

    /// token: the sign-in token; hostNames: the names and addresses that name this machine.
    WebAuth(std::string token, std::vector<std::string> hostNames);
    /// The page's port, which every Host header must carry.
    void setPort(std::uint16_t port) { port_ = port; }
    /// True when the candidate is the sign-in token.
    bool tokenMatches(std::string_view candidate) const { return sameSecret(candidate, token_); }
    /// Opens a session (the oldest of kMaxSessions is dropped); its id, or empty without randomness.
    std::string openSession();
    /// The anti-forgery token of a session, or null when the id opens none.
    const std::string* csrfOf(std::string_view sessionId) const;
    /// True when a Host header names this machine with the page's port.
    bool hostAllowed(std::string_view host) const;

private:
    struct Session {
        std::string id;
        std::string csrf;
    };
    std::string token_;
    std::vector<std::string> hosts_;
    std::atomic<std::uint16_t> port_{0};
    std::deque<Session> sessions_;
};

}  // namespace tvr::ui::web
