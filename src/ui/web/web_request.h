// SPDX-License-Identifier: MIT
#pragma once
// Reading the browser's requests: the head (request line and the headers the page's server
// looks at) and the form fields of a body. Pure functions on bytes, so every rule can be checked
// without sockets; every size is bounded before anything is kept.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "http/http_request.h"

namespace tvr::ui::web {

/// Largest request head (request line and headers) a connection may send.
inline constexpr std::size_t kMaxHead = http::kMaxRequestHeader;
/// Largest request body (a form of the page).
inline constexpr std::size_t kMaxBody = 64 * 1024;

/// What one request asks for and the headers that decide whether it may.
struct WebRequest {
    std::string method;  // "GET", "POST", ...
    std::string path;    // the target before "?", percent-decoded UTF-8
    std::string query;   // the raw text after the first "?"
    std::string host;
    std::string origin;
    std::string cookie;
    std::string csrf;  // X-Tvr-Csrf
    std::string acceptLanguage;
    std::size_t contentLength = 0;
    std::string body;
    bool fromLoopback = false;  // the peer's address is 127.x.x.x (set by the server, not parsed)
};

enum class HeadState { NeedMore, Complete, TooLarge, Bad };

/// Parses the head at the start of the received bytes; on Complete, *headSize is its length up to
/// and including the blank line. A head over kMaxHead or a body over kMaxBody is TooLarge; a
/// malformed line, a second Host or a chunked body is Bad.
HeadState parseHead(std::string_view bytes, WebRequest* request, std::size_t* headSize);
/// One field of "a=1&b=x+y" (application/x-www-form-urlencoded), decoded; nothing when absent
/// or when its escapes are broken.
std::optional<std::string> formValue(std::string_view form, std::string_view name);
/// One cookie of a Cookie header; empty when absent.
std::string cookieValue(std::string_view header, std::string_view name);

}  // namespace tvr::ui::web
