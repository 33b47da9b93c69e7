// SPDX-License-Identifier: MIT
#include "ui/web/web_json.h"

#include "platform/utf.h"

namespace tvr::ui::web {

std::string jsonString(std::u16string_view text) { return jsonString(std::string_view(platform::toUtf8(text))); }

std::string jsonString(std::string_view utf8) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : utf8) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || c == '<' || c == '>' || c == '&') {
            out += "\\u00";
            out += kDigits[byte >> 4];
            out += kDigits[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace tvr::ui::web
