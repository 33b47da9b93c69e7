// SPDX-License-Identifier: MIT
#include "ui/web/web_request.h"

namespace tvr::ui::web {
namespace {

constexpr std::string_view kBlankLine = "\r\n\r\n";

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool isToken(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (c <= ' ' || c >= 127 || c == ':') return false;
    }
    return true;
}

// "GET /api/state?lang=en HTTP/1.1": the method, an absolute path and a version.
bool readRequestLine(std::string_view line, WebRequest* request) {
    std::size_t first = line.find(' ');
    if (first == std::string_view::npos) return false;
    std::size_t second = line.find(' ', first + 1);
    if (second == std::string_view::npos) return false;
    std::string_view method = line.substr(0, first);
    std::string_view target = line.substr(first + 1, second - first - 1);
    std::string_view version = line.substr(second + 1);
    if (!isToken(method) || target.empty() || target.front() != '/' || version.substr(0, 5) != "HTTP/") return false;
    std::size_t question = target.find('?');
    if (!http::percentDecode(target.substr(0, question), &request->path)) return false;
    request->method = std::string(method);
    request->query = question == std::string_view::npos ? std::string() : std::string(target.substr(question + 1));
    return true;
}

bool readContentLength(std::string_view value, std::size_t* length) {
    if (value.empty() || value.size() > 9) return false;
    std::size_t result = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + static_cast<std::size_t>(c - '0');
    }
    *length = result;
    return true;
}

}  // namespace

HeadState parseHead(std::string_view bytes, WebRequest* request, std::size_t* headSize) {
    std::size_t end = bytes.substr(0, kMaxHead).find(kBlankLine);
    if (end == std::string_view::npos) return bytes.size() >= kMaxHead ? HeadState::TooLarge : HeadState::NeedMore;
    *headSize = end + kBlankLine.size();
    *request = WebRequest();
    std::string_view head = bytes.substr(0, end + 2);
    std::size_t lineEnd = head.find("\r\n");
    if (!readRequestLine(head.substr(0, lineEnd), request)) return HeadState::Bad;
    bool hostSeen = false;
    for (std::size_t at = lineEnd + 2; at < head.size();) {
        std::size_t next = head.find("\r\n", at);
        std::string_view line = head.substr(at, next - at);
        at = next + 2;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || !isToken(line.substr(0, colon))) return HeadState::Bad;
        std::string_view name = line.substr(0, colon);
        std::string_view value = trim(line.substr(colon + 1));
        if (equalsNoCase(name, "host")) {
            if (hostSeen) return HeadState::Bad;
            hostSeen = true;
            request->host = std::string(value);
        } else if (equalsNoCase(name, "origin")) {
            request->origin = std::string(value);
        } else if (equalsNoCase(name, "cookie")) {
            request->cookie = std::string(value);
        } else if (equalsNoCase(name, "x-tvr-csrf")) {
            request->csrf = std::string(value);
        } else if (equalsNoCase(name, "accept-language")) {
            request->acceptLanguage = std::string(value);
        } else if (equalsNoCase(name, "content-length")) {
            if (!readContentLength(value, &request->contentLength)) return HeadState::Bad;
            if (request->contentLength > kMaxBody) return HeadState::TooLarge;
        } else if (equalsNoCase(name, "transfer-encoding")) {
            return HeadState::Bad;
        }
    }
    return HeadState::Complete;
}

std::optional<std::string> formValue(std::string_view form, std::string_view name) {
    while (!form.empty()) {
        std::size_t amp = form.find('&');
        std::string_view pair = form.substr(0, amp);
        form = amp == std::string_view::npos ? std::string_view() : form.substr(amp + 1);
        std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) != name) continue;
        std::string value(equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1));
        for (char& c : value) {
            if (c == '+') c = ' ';
        }
        std::string decoded;
        if (!http::percentDecode(value, &decoded)) return std::nullopt;
        return decoded;
    }
    return std::nullopt;
}

std::string cookieValue(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        std::size_t semicolon = header.find(';');
        std::string_view pair = trim(header.substr(0, semicolon));
        header = semicolon == std::string_view::npos ? std::string_view() : header.substr(semicolon + 1);
        std::size_t equals = pair.find('=');
        if (equals != std::string_view::npos && pair.substr(0, equals) == name)
            return std::string(pair.substr(equals + 1));
    }
    return {};
}

}  // namespace tvr::ui::web
