// SPDX-License-Identifier: MIT
#pragma once
// Reading the headset's requests: gathering a request's bytes until its blank line, then the
// request line (GET or HEAD, a percent-encoded UTF-8 path, "stream=" in the query after the first
// literal "?") and the Range start. Pure functions on bytes, so every rule can be checked without sockets.
#include <cstdint>
#include <string>
#include <string_view>

namespace tvr::http {

/// Largest request header a connection may send before it is closed.
inline constexpr std::size_t kMaxRequestHeader = 8192;

/// Collects received bytes of one connection and hands out whole requests.
class RequestGatherer {
public:
    enum class State { NeedMore, Complete, TooLarge };
    /// Adds received bytes.
    void append(std::string_view bytes) { buffer_.append(bytes); }
    /// Moves the next request, up to and including its blank line, into block.
    State next(std::string* block);
    /// Bytes received but not yet handed out.
    std::size_t buffered() const { return buffer_.size(); }

private:
    std::string buffer_;
};

enum class Method { None, Get, Head };

/// What one request asks for.
struct HttpRequest {
    Method method = Method::None;
    bool targetValid = false;  // false: an escape cut short or a decoded zero byte
    std::u16string path;       // the target up to its first literal "?", decoded
    std::int32_t streamIndex = 0;
    bool hasRange = false;
    std::int64_t rangeStart = 0;
};

/// Decodes "%XX" escapes (a non-hex digit counts as 0); false when an escape is cut short or yields a zero byte.
bool percentDecode(std::string_view text, std::string* bytes);
/// Parses one gathered request; a block without a GET or HEAD line gives Method::None.
HttpRequest parseRequest(std::string_view block);

}  // namespace tvr::http
