// SPDX-License-Identifier: MIT
#include "client/http_fetch.h"

#include <algorithm>
#include <limits>

#include "platform/fs.h"
#include "platform/poll.h"
#include "platform/socket.h"
#include "platform/time.h"
#include "platform/utf.h"

namespace tvr::client {

namespace {

constexpr const char* kCannotWrite = "the output cannot be written";

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Digits only, no sign, within the signed 64-bit range; consumes the leading digits of text.
bool readDigits(std::string_view* text, std::int64_t* value) {
    std::size_t count = 0;
    std::int64_t result = 0;
    while (count < text->size() && (*text)[count] >= '0' && (*text)[count] <= '9') {
        int digit = (*text)[count] - '0';
        if (result > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return false;
        result = result * 10 + digit;
        ++count;
    }
    if (count == 0) return false;
    text->remove_prefix(count);
    *value = result;
    return true;
}

bool parseStatusLine(std::string_view line, ResponseHead* head) {
    if (line.substr(0, 5) != "HTTP/") return false;
    std::size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) return false;
    std::string_view code = line.substr(space + 1, 3);
    if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
    if (line.size() > space + 4 && line[space + 4] != ' ') return false;
    head->status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
    head->statusLine = std::string(line);
    return true;
}

bool parseHeaderLine(std::string_view line, ResponseHead* head) {
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    std::string_view name = line.substr(0, colon);
    std::string_view value = trim(line.substr(colon + 1));
    if (equalsNoCase(name, "Content-Length")) {
        std::int64_t length = 0;
        if (!readDigits(&value, &length) || !value.empty()) return false;
        if (head->hasLength && head->contentLength != length) return false;
        head->hasLength = true;
        head->contentLength = length;
    } else if (equalsNoCase(name, "Content-Range")) {
        // "bytes S-E/T"; only the start matters here. "bytes */T" (no range) leaves hasRange false.
        if (!equalsNoCase(value.substr(0, 6), "bytes ")) return false;
        value = trim(value.substr(6));
        std::int64_t start = 0;
        if (value.substr(0, 1) == "*") return true;
        if (!readDigits(&value, &start)) return false;
        head->hasRange = true;
        head->rangeStart = start;
    }
    return true;
}

bool sendAll(platform::SocketHandle socket, std::string_view bytes, int timeoutMs) {
    std::uint32_t lastProgress = platform::monotonicMs();
    while (!bytes.empty()) {
        platform::IoResult result = platform::sendSome(socket, bytes.data(), bytes.size());
        if (result.status == platform::IoStatus::Ok) {
            bytes.remove_prefix(result.bytes);
            lastProgress = platform::monotonicMs();
            continue;
        }
        if (result.status != platform::IoStatus::WouldBlock) return false;
        if (platform::monotonicMs() - lastProgress >= static_cast<std::uint32_t>(timeoutMs)) return false;
        platform::PollItem item{socket, false, true};
        platform::pollSockets(&item, 1, 100, nullptr);
    }
    return true;
}

enum class Received { Data, Closed, Error, TimedOut };

// Waits for the next bytes, at most timeoutMs without any.
Received receiveSome(platform::SocketHandle socket, char* buffer, std::size_t size, int timeoutMs, std::size_t* got) {
    std::uint32_t start = platform::monotonicMs();
    for (;;) {
        platform::IoResult result = platform::recvSome(socket, buffer, size);
        if (result.status == platform::IoStatus::Ok) {
            *got = result.bytes;
            return Received::Data;
        }
        if (result.status == platform::IoStatus::Closed) return Received::Closed;
        if (result.status == platform::IoStatus::Error) return Received::Error;
        std::uint32_t spent = platform::monotonicMs() - start;
        if (spent >= static_cast<std::uint32_t>(timeoutMs)) return Received::TimedOut;
        platform::PollItem item{socket, true, false};
        platform::pollSockets(&item, 1, static_cast<int>(static_cast<std::uint32_t>(timeoutMs) - spent), nullptr);
    }
}

std::string receiveError(Received what, const FetchRequest& request) {
    if (what == Received::TimedOut)
        return "no data from the video server for " + std::to_string(request.timeoutMs) + " ms";
    if (what == Received::Closed) return "the video server closed the connection";
    return "the connection to the video server failed";
}

// The body must start where it was asked to; a server that ignores the start would corrupt the output.
std::string checkSuccessHead(const ResponseHead& head, const FetchRequest& request) {
    if (!head.hasLength) return "the video server sent no Content-Length";
    std::int64_t start = head.status == 206 && head.hasRange ? head.rangeStart : 0;
    if (head.status == 206 && !head.hasRange) return "the video server sent 206 without a Content-Range";
    if (start != request.from)
        return "the video server answered from byte " + std::to_string(start) + " instead of " +
               std::to_string(request.from);
    return {};
}

}  // namespace

std::string percentEncodePath(std::u16string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char byte : platform::toUtf8(path)) {
        auto c = static_cast<unsigned char>(byte);
        if (isUnreserved(c)) {
            out += byte;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string buildGetRequest(const FetchRequest& request) {
    std::string text = "GET /" + percentEncodePath(request.path) + "?stream=" + std::to_string(request.stream) +
                       " HTTP/1.1\r\nHost: " + request.host + ":" + std::to_string(request.port) + "\r\n";
    // bytes=0- would be refused for an empty file; without a Range the whole file comes anyway.
    if (request.from > 0) text += "Range: bytes=" + std::to_string(request.from) + "-\r\n";
    return text + "\r\n";
}

HeadParse parseResponseHead(std::string_view bytes, ResponseHead* head, std::size_t* headBytes) {
    std::size_t end = bytes.find("\r\n\r\n");
    if (end == std::string_view::npos || end + 4 > kMaxResponseHead)
        return end == std::string_view::npos && bytes.size() < kMaxResponseHead ? HeadParse::NeedMore
                                                                                : HeadParse::Malformed;
    *head = ResponseHead{};
    std::string_view block = bytes.substr(0, end + 2);
    std::size_t lineEnd = block.find("\r\n");
    if (!parseStatusLine(block.substr(0, lineEnd), head)) return HeadParse::Malformed;
    for (std::size_t at = lineEnd + 2; at < block.size();) {
        std::size_t next = block.find("\r\n", at);
        if (!parseHeaderLine(block.substr(at, next - at), head)) return HeadParse::Malformed;
        at = next + 2;
    }
    *headBytes = end + 4;
    return HeadParse::Complete;
}

FetchResult httpFetch(const FetchRequest& request, const HeadCheck& onHead, const ByteSink& sink) {
    FetchResult result;
    std::string where = request.host + ":" + std::to_string(request.port);
    std::uint32_t address = 0;
    if (!platform::resolveIpv4(request.host, &address)) {
        result.error = "cannot resolve the host " + request.host;
        return result;
    }
    platform::SocketHandle socket = platform::tcpConnect({address, request.port}, request.timeoutMs);
    if (socket == platform::kInvalidSocket) {
        result.error = "cannot connect to the video server at " + where;
        return result;
    }
    struct Closer {
        platform::SocketHandle socket;
        ~Closer() { platform::closeSocket(socket); }
    } closer{socket};
    if (!sendAll(socket, buildGetRequest(request), request.timeoutMs)) {
        result.error = "cannot send the request to the video server at " + where;
        return result;
    }

    std::string received;
    std::string chunk(65536, '\0');
    std::size_t headBytes = 0;
    for (;;) {
        HeadParse parse = parseResponseHead(received, &result.head, &headBytes);
        if (parse == HeadParse::Complete) break;
        if (parse == HeadParse::Malformed) {
            result.error = "the video server sent a malformed response header";
            return result;
        }
        std::size_t got = 0;
        Received what = receiveSome(socket, chunk.data(), chunk.size(), request.timeoutMs, &got);
        if (what != Received::Data) {
            result.error = receiveError(what, request) + " before the response header ended";
            return result;
        }
        received.append(chunk.data(), got);
    }
    const ResponseHead& head = result.head;
    if (head.status != 200 && head.status != 206) {
        result.outcome = FetchResult::Outcome::Refused;
        result.error = "the video server answered \"" + head.statusLine + "\"";
        return result;
    }
    result.error = checkSuccessHead(head, request);
    if (!result.error.empty()) return result;
    if (onHead && !onHead(head)) {
        result.error = kCannotWrite;
        return result;
    }

    std::string_view pending = std::string_view(received).substr(headBytes);
    while (result.bytes < head.contentLength) {
        if (pending.empty()) {
            std::size_t got = 0;
            Received what = receiveSome(socket, chunk.data(), chunk.size(), request.timeoutMs, &got);
            if (what != Received::Data) {
                result.error = receiveError(what, request) + " after " + std::to_string(result.bytes) + " of " +
                               std::to_string(head.contentLength) + " bytes";
                return result;
            }
            pending = std::string_view(chunk.data(), got);
        }
        auto wanted = static_cast<std::size_t>(
            std::min<std::int64_t>(head.contentLength - result.bytes, static_cast<std::int64_t>(pending.size())));
        if (!sink(pending.substr(0, wanted))) {
            result.error = kCannotWrite;
            return result;
        }
        result.bytes += static_cast<std::int64_t>(wanted);
        pending.remove_prefix(wanted);
    }
    result.outcome = FetchResult::Outcome::Ok;
    return result;
}

FetchResult fetchToOutput(const FetchRequest& request, std::u16string_view output, std::ostream& out) {
    using Opened = platform::OutputFile::Opened;
    const bool toStdout = output == u"-";
    platform::OutputFile file;
    Opened opened = Opened::Ok;
    FetchResult result = httpFetch(
        request,
        [&](const ResponseHead&) {
            if (!toStdout) opened = file.open(output);
            return opened == Opened::Ok;
        },
        [&](std::string_view bytes) {
            if (!toStdout) return file.write(bytes);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            return static_cast<bool>(out);
        });
    if (result.outcome == FetchResult::Outcome::Ok && !toStdout && !file.commit()) {
        result.outcome = FetchResult::Outcome::IoError;
        result.error = kCannotWrite;
    }
    if (opened == Opened::Folder) {
        result.error = "the output is a folder: " + platform::toUtf8(output);
    } else if (result.error == kCannotWrite) {
        result.error += ": " + platform::toUtf8(output);
    }
    return result;
}

}  // namespace tvr::client
