// SPDX-License-Identifier: MIT
#include "protocol/command_log.h"

namespace tvr::protocol {

namespace {

std::u16string oneLine(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\r') {
            out += u"\\r";
        } else if (c == u'\n') {
            out += u"\\n";
        } else if (c == u'\0') {
            out += u"\\0";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

void logCommand(HandlerContext& context, std::u16string_view tag, std::u16string_view rest) {
    context.log.write(core::taggedMessage(oneLine(tag), oneLine(rest)));
}

}  // namespace tvr::protocol
