// SPDX-License-Identifier: MIT
#include "protocol/tagged_message.h"

#include "core/text.h"

namespace tvr::protocol {

bool messageIs(std::u16string_view text, std::u16string_view name) { return text.substr(0, name.size()) == name; }

std::size_t findKey(std::u16string_view text, std::u16string_view key) {
    std::size_t at = text.find(key);
    return at == std::u16string_view::npos ? at : at + key.size();
}

std::optional<std::int32_t> intAfterKey(std::u16string_view text, std::u16string_view key) {
    std::size_t at = findKey(text, key);
    if (at == std::u16string_view::npos) return std::nullopt;
    return core::scanInt32(text.substr(at));
}

std::optional<std::int64_t> int64AfterKey(std::u16string_view text, std::u16string_view key) {
    std::size_t at = findKey(text, key);
    if (at == std::u16string_view::npos) return std::nullopt;
    return core::scanInt64(text.substr(at));
}

std::optional<std::u16string> quotedAfterKey(std::u16string_view text, std::u16string_view key) {
    std::size_t at = findKey(text, key);
    if (at == std::u16string_view::npos) return std::nullopt;
    return quotedAt(text, at);
}

std::u16string quotedAt(std::u16string_view text, std::size_t position) {
    std::size_t open = text.find(u'"', position);
    if (open == std::u16string_view::npos) return {};
    std::size_t close = text.find(u'"', open + 1);
    if (close == std::u16string_view::npos) return std::u16string(text.substr(open + 1));
    return std::u16string(text.substr(open + 1, close - open - 1));
}

std::u16string indexedKey(std::u16string_view format, int index) { return core::format(format, {index}); }

}  // namespace tvr::protocol
