// SPDX-License-Identifier: MIT
#include "ui/web/web_auth.h"

#include <vector>

#include "platform/random.h"
#include "ui/web/web_password.h"

namespace tvr::ui::web {

std::optional<std::string> randomHex(std::size_t bytes) {
    std::vector<unsigned char> raw(bytes);
    if (!platform::secureRandomBytes(raw.data(), raw.size())) return std::nullopt;
    constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : raw) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

bool sameSecret(std::string_view a, std::string_view b) {
    if (a.size() != b.size() || b.empty()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

WebAuth::WebAuth(std::string token, std::vector<std::string> hostNames, core::Clock& clock)
    : token_(std::move(token)), clock_(clock), hosts_(std::move(hostNames)) {
    for (std::string& name : hosts_) {
        for (char& c : name) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
    }
}

WebAuth::Login WebAuth::logIn(std::string_view password) {
    std::uint32_t now = clock_.nowMs();
    if (lockoutActive_ && static_cast<std::int32_t>(lockoutEnd_ - now) > 0) return Login::LockedOut;
    if (passwordHash_.empty()) return Login::NoPassword;
    if (webPasswordMatches(passwordHash_, password)) return Login::SignedIn;
    lockoutEnd_ = now + kLockoutMs;
    lockoutActive_ = true;
    return Login::Wrong;
}

std::string WebAuth::openSession(bool local) {
    std::optional<std::string> id = randomHex(32);
    std::optional<std::string> csrf = randomHex(32);
    if (!id || !csrf) return {};
    if (sessions_.size() >= kMaxSessions) sessions_.pop_front();
    sessions_.push_back({*id, *csrf, local});
    return *id;
}

const WebAuth::Session* WebAuth::find(std::string_view sessionId) const {
    for (const Session& session : sessions_) {
        if (sameSecret(sessionId, session.id)) return &session;
    }
    return nullptr;
}

const std::string* WebAuth::csrfOf(std::string_view sessionId) const {
    const Session* session = find(sessionId);
    return session ? &session->csrf : nullptr;
}

bool WebAuth::sessionIsLocal(std::string_view sessionId) const {
    const Session* session = find(sessionId);
    return session && session->local;
}

bool WebAuth::hostAllowed(std::string_view host) const {
    // Host names are case-insensitive; the addresses and the port are digits.
    std::string folded(host);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    std::string suffix = ":" + std::to_string(port_);
    for (const std::string& name : hosts_) {
        if (!name.empty() && folded == name + suffix) return true;
    }
    return false;
}

}  // namespace tvr::ui::web
