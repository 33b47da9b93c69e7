// SPDX-License-Identifier: MIT
// A connection's bytes arriving in pieces: the gatherer hands out requests that end at their
// blank line and never exceed the header limit, and every request it hands out is parsed.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "http/http_request.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

void checkParsed(std::string_view block) {
    http::HttpRequest request = http::parseRequest(block);
    if (request.method == http::Method::None) check(request.path.empty() && request.streamIndex == 0);
    if (!request.targetValid) check(request.path.empty() && request.streamIndex == 0);
    if (!request.hasRange) check(request.rangeStart == 0);
    // A "?" reaches the path only encoded, since the query begins at the first literal one.
    if (request.path.find(u'?') != std::u16string::npos) {
        check(block.find("%3F") != std::string_view::npos || block.find("%3f") != std::string_view::npos);
    }
    check(request.path.find(u'\0') == std::u16string::npos);
}

void checkDecoding(std::string_view text) {
    std::string bytes;
    if (http::percentDecode(text, &bytes)) {
        check(bytes.size() <= text.size() && bytes.find('\0') == std::string::npos);
        if (text.find('%') == std::string_view::npos) check(bytes == text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    std::uint8_t pieceSize = input.byte();
    std::string_view stream = input.rest();
    checkParsed(stream);
    checkDecoding(stream.substr(0, stream.find(' ')));

    http::RequestGatherer gatherer;
    std::size_t step = pieceSize == 0 ? stream.size() + 1 : pieceSize;
    std::string handedOut;
    for (std::size_t at = 0; at < stream.size(); at += step) {
        gatherer.append(stream.substr(at, step));
        std::string block;
        http::RequestGatherer::State state;
        while ((state = gatherer.next(&block)) == http::RequestGatherer::State::Complete) {
            check(block.size() <= http::kMaxRequestHeader && block.ends_with("\r\n\r\n"));
            check(block.find("\r\n\r\n") == block.size() - 4);
            handedOut += block;
            checkParsed(block);
        }
        // What was handed out and what is still buffered are exactly what arrived so far.
        std::size_t arrived = std::min(stream.size(), at + step);
        check(handedOut.size() + gatherer.buffered() == arrived);
        check(stream.substr(0, handedOut.size()) == handedOut);
        if (state == http::RequestGatherer::State::TooLarge) break;  // the connection is closed here
        check(gatherer.buffered() < http::kMaxRequestHeader);
    }
    return 0;
}
