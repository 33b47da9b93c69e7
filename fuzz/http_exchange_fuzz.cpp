// SPDX-License-Identifier: MIT
// Both ends of a video request: the client's reading of any response head, and a request the
// client builds, gathered and parsed by the server, which must arrive as it was asked for.
#include <cstdlib>
#include <string>

#include "client/http_fetch.h"
#include "fuzz_support.h"
#include "http/http_request.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

void checkResponseHead(std::string_view bytes) {
    client::ResponseHead head;
    std::size_t headBytes = 0;
    client::HeadParse parse = client::parseResponseHead(bytes, &head, &headBytes);
    if (parse == client::HeadParse::NeedMore) check(bytes.size() < client::kMaxResponseHead);
    if (parse != client::HeadParse::Complete) return;
    check(headBytes <= bytes.size() && headBytes <= client::kMaxResponseHead);
    check(bytes.substr(0, headBytes).ends_with("\r\n\r\n") && bytes.find("\r\n\r\n") + 4 == headBytes);
    check(head.status >= 0 && head.status <= 999 && head.statusLine.starts_with("HTTP/"));
    check(head.contentLength >= 0 && head.rangeStart >= 0);
    if (!head.hasLength) check(head.contentLength == 0);
}

// Text a file name can hold: no zero, no unpaired surrogate (UTF-8 has no form for one).
std::u16string pathFrom(fuzz::Input& input) {
    std::u16string path = input.units(input.byte());
    for (std::size_t i = 0; i < path.size(); ++i) {
        char16_t& c = path[i];
        bool high = c >= 0xD800 && c <= 0xDBFF;
        bool pairedHigh = high && i + 1 < path.size() && path[i + 1] >= 0xDC00 && path[i + 1] <= 0xDFFF;
        if (pairedHigh) {
            ++i;
        } else if (c == 0 || (c >= 0xD800 && c <= 0xDFFF)) {
            c = u'_';
        }
    }
    return path;
}

void checkRequestRoundTrip(fuzz::Input& input) {
    client::FetchRequest request;
    request.host = "127.0.0.1";
    request.port = static_cast<std::uint16_t>(input.byte() << 8 | input.byte());
    request.stream = static_cast<std::int32_t>(static_cast<std::uint32_t>(input.byte()) << 24 | input.byte());
    std::uint64_t from = 0;
    for (int i = 0; i < 8; ++i) from = from << 8 | input.byte();
    request.from = static_cast<std::int64_t>(from >> 1);
    request.path = pathFrom(input);

    http::RequestGatherer gatherer;
    gatherer.append(client::buildGetRequest(request));
    std::string block;
    check(gatherer.next(&block) == http::RequestGatherer::State::Complete && gatherer.buffered() == 0);
    http::HttpRequest parsed = http::parseRequest(block);
    check(parsed.method == http::Method::Get && parsed.targetValid);
    check(parsed.streamIndex == request.stream);
    check(parsed.hasRange == (request.from > 0) && parsed.rangeStart == request.from);
    // A "?" in the name itself is sent encoded and decoded only after the query is cut off, so
    // the whole name arrives.
    check(parsed.path == request.path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    if (input.byte() % 2 == 0) {
        checkResponseHead(input.rest());
    } else {
        checkRequestRoundTrip(input);
    }
    return 0;
}
