// SPDX-License-Identifier: MIT
// A browser's request as the web page's server reads it: the head is found only within its limit,
// a body is never announced beyond its limit, and the form and cookie readers take any text.
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "ui/web/web_request.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    std::string_view bytes = input.rest();
    ui::web::WebRequest request;
    std::size_t headSize = 0;
    ui::web::HeadState state = ui::web::parseHead(bytes, &request, &headSize);
    if (state == ui::web::HeadState::Complete) {
        check(headSize <= ui::web::kMaxHead && headSize <= bytes.size());
        check(bytes.substr(headSize - 4, 4) == "\r\n\r\n");
        check(request.contentLength <= ui::web::kMaxBody);
        check(!request.path.empty() && request.path.front() == '/');
        check(request.path.find('\0') == std::string::npos);
        ui::web::formValue(request.query, "token");
        ui::web::cookieValue(request.cookie, "tvr_session");
    }
    if (state == ui::web::HeadState::NeedMore) check(bytes.size() < ui::web::kMaxHead);
    ui::web::formValue(bytes, "p1");
    ui::web::cookieValue(bytes, "a");
    return 0;
}
