// SPDX-License-Identifier: MIT
#include "http/http_request.h"

#include <limits>

#include "core/text.h"
#include "platform/utf.h"

namespace tvr::http {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBlankLine = "\r\n\r\n";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// The request line names the target from a fixed offset on: "GET /" and "HEAD /" are skipped
// without being compared, as the headset always sends them. The query begins at the first literal
// "?", before anything is decoded: an encoded "%3F" is part of the file's name ("what?.mp4", or
// the "\\?\" of a long Windows path), and only the path is percent-decoded.
void readRequestLine(std::string_view line, std::size_t targetOffset, HttpRequest* request) {
    std::string_view target = line.size() > targetOffset ? line.substr(targetOffset) : std::string_view();
    target = target.substr(0, target.find(' '));
    std::size_t question = target.find('?');
    std::string decoded;
    request->targetValid = percentDecode(target.substr(0, question), &decoded);
    request->streamIndex = 0;
    request->path.clear();
    if (!request->targetValid) return;
    request->path = platform::fromUtf8(decoded);
    if (question == std::string_view::npos) return;
    std::string_view query = target.substr(question + 1);
    constexpr std::string_view kStream = "stream=";
    std::size_t at = query.find(kStream);
    if (at == std::string_view::npos) return;
    std::int64_t index = core::scanInt64(platform::fromAscii(query.substr(at + kStream.size())));
    if (index > std::numeric_limits<std::int32_t>::max()) index = std::numeric_limits<std::int32_t>::max();
    if (index < std::numeric_limits<std::int32_t>::min()) index = std::numeric_limits<std::int32_t>::min();
    request->streamIndex = static_cast<std::int32_t>(index);
}

void readRangeLine(std::string_view line, HttpRequest* request) {
    constexpr std::string_view kBytes = "bytes=";
    std::size_t at = line.find(kBytes);
    if (at == std::string_view::npos) return;
    request->hasRange = true;
    request->rangeStart = core::scanInt64(platform::fromAscii(line.substr(at + kBytes.size())));
}

}  // namespace

RequestGatherer::State RequestGatherer::next(std::string* block) {
    std::size_t end = buffer_.find(kBlankLine);
    if (end == std::string::npos || end + kBlankLine.size() > kMaxRequestHeader) {
        // Keep waiting while the header can still end within the limit.
        bool withinLimit = end == std::string::npos ? buffer_.size() < kMaxRequestHeader : false;
        return withinLimit ? State::NeedMore : State::TooLarge;
    }
    std::size_t length = end + kBlankLine.size();
    block->assign(buffer_, 0, length);
    buffer_.erase(0, length);
    return State::Complete;
}

bool percentDecode(std::string_view text, std::string* bytes) {
    bytes->clear();
    bytes->reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            bytes->push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size()) return false;
        bytes->push_back(static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
        i += 2;
    }
    return bytes->find('\0') == std::string::npos;
}

HttpRequest parseRequest(std::string_view block) {
    HttpRequest request;
    std::size_t begin = 0;
    for (std::size_t end = block.find(kLineEnd); end != std::string_view::npos;
         begin = end + kLineEnd.size(), end = block.find(kLineEnd, begin)) {
        std::string_view line = block.substr(begin, end - begin);
        if (line.starts_with("GET")) {
            request.method = Method::Get;
            readRequestLine(line, 5, &request);
        } else if (line.starts_with("HEAD")) {
            request.method = Method::Head;
            readRequestLine(line, 6, &request);
        } else if (startsWithNoCase(line, "range:")) {
            readRangeLine(line, &request);
        }
    }
    return request;
}

}  // namespace tvr::http
