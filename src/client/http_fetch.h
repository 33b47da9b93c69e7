// SPDX-License-Identifier: MIT
#pragma once
// A minimal HTTP/1.1 GET client for the video server, as the headset's player uses it: the
// target is the percent-encoded UTF-8 path, the query picks the stream slot, a Range header
// gives the start. The body is exactly Content-Length bytes; the server keeps the connection open.
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace tvr::client {

/// Percent-encodes the UTF-8 form of path: letters, digits, "-._~" and "/" stay, every other byte is %XX.
std::string percentEncodePath(std::u16string_view path);

/// What to fetch and from where.
struct FetchRequest {
    std::string host;
    std::uint16_t port = 0;
    std::u16string path;
    std::int32_t stream = 0;
    std::int64_t from = 0;
    int timeoutMs = 30000;  // longest wait without progress
};

/// The request bytes; a Range header only when from is above 0.
std::string buildGetRequest(const FetchRequest& request);

/// The status line and the headers the tool relies on.
struct ResponseHead {
    int status = 0;
    std::string statusLine;
    bool hasLength = false;
    std::int64_t contentLength = 0;
    bool hasRange = false;
    std::int64_t rangeStart = 0;
};

enum class HeadParse { NeedMore, Complete, Malformed };

/// Largest response header accepted.
inline constexpr std::size_t kMaxResponseHead = 16384;

/// Parses the status line and headers at the front of bytes; *headBytes gets their length with the blank line.
HeadParse parseResponseHead(std::string_view bytes, ResponseHead* head, std::size_t* headBytes);

/// Outcome of a fetch.
struct FetchResult {
    enum class Outcome { Ok, Refused, IoError };
    Outcome outcome = Outcome::IoError;
    ResponseHead head;
    std::int64_t bytes = 0;  // body bytes handed to the sink
    std::string error;       // one line, empty on success
};

/// Receives body bytes in order; returns false to abandon the fetch.
using ByteSink = std::function<bool(std::string_view)>;
/// Called once with the response head when the status is a success, before any body byte.
using HeadCheck = std::function<bool(const ResponseHead&)>;

/// Connects, sends the GET and hands the body to sink.
FetchResult httpFetch(const FetchRequest& request, const HeadCheck& onHead, const ByteSink& sink);
/// Fetches into the output as curl and wget do (platform::OutputFile): "-" is out; nothing the path
/// names is cut or replaced before the whole body is there, and a failed fetch leaves it as it was.
FetchResult fetchToOutput(const FetchRequest& request, std::u16string_view output, std::ostream& out);

}  // namespace tvr::client
