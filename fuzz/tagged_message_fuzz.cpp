// SPDX-License-Identifier: MIT
// The tagged-message readers on any UTF-16 text, the number scanners against a plain reference,
// and format() on patterns made of what it understands, checked against snprintf where the two
// must agree.
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <string>

#include "core/text.h"
#include "fuzz_support.h"
#include "protocol/tagged_message.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

const std::u16string_view kKeys[] = {u"<ch>", u"<no>", u"<path>", u"<size>", u"#CMD_SETUP", u"<", u"\""};

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// wcstol's rules with a saturating magnitude, clamped into [low, high].
std::int64_t referenceScan(std::u16string_view text, std::int64_t low, std::int64_t high) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = i < text.size() && text[i] == u'-';
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
    constexpr std::uint64_t kCap = std::uint64_t{1} << 63;
    std::uint64_t magnitude = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        magnitude = magnitude > kCap / 10 ? kCap + 1 : magnitude * 10 + static_cast<std::uint64_t>(text[i] - u'0');
        if (magnitude > kCap) magnitude = kCap + 1;
    }
    if (negative) {
        std::uint64_t limit = static_cast<std::uint64_t>(-(low + 1)) + 1;
        return magnitude >= limit ? low : -static_cast<std::int64_t>(magnitude);
    }
    return magnitude >= static_cast<std::uint64_t>(high) ? high : static_cast<std::int64_t>(magnitude);
}

void checkTaggedReaders(std::u16string_view text, std::u16string_view key) {
    check(protocol::messageIs(text, key) == text.starts_with(key));
    std::size_t at = protocol::findKey(text, key);
    if (at != std::u16string_view::npos) {
        check(at >= key.size() && at <= text.size() && text.substr(at - key.size(), key.size()) == key);
    }
    auto value = protocol::intAfterKey(text, key);
    auto wide = protocol::int64AfterKey(text, key);
    auto quoted = protocol::quotedAfterKey(text, key);
    bool found = at != std::u16string_view::npos;
    check(value.has_value() == found && wide.has_value() == found && quoted.has_value() == found);
    if (found) {
        check(*value == core::scanInt32(text.substr(at)));
        check(*wide == core::scanInt64(text.substr(at)));
        check(quoted->size() <= text.size() - at && quoted->find(u'"') == std::u16string::npos);
    }
}

void checkScanners(std::u16string_view text) {
    std::size_t end32 = 0;
    std::size_t end64 = 0;
    std::int32_t narrow = core::scanInt32(text, &end32);
    std::int64_t wide = core::scanInt64(text, &end64);
    check(end32 == end64 && end64 <= text.size());
    check(narrow ==
          referenceScan(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    check(wide ==
          referenceScan(text, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()));
}

// Maps a byte onto the characters format() gives meaning to, and a few plain ones.
char patternChar(std::uint8_t byte) {
    static constexpr char kAlphabet[] = "%%%-0123456789dduxXsI64lliaZ #";
    return kAlphabet[byte % (sizeof(kAlphabet) - 1)];
}

std::u16string widen(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// One directive with plain text around it must come out as the C library prints it.
void checkAgainstPrintf(fuzz::Input& input) {
    static constexpr char kConversions[] = "duxXs";
    std::string directive = "%";
    std::uint8_t flags = input.byte();
    if (flags & 1) directive += '-';
    if (flags & 2) directive += '0';
    std::uint8_t width = input.byte() % 200;
    if (width > 0) directive += std::to_string(width);
    char conversion = kConversions[input.byte() % 5];
    bool wide = conversion != 's' && (flags & 4) != 0;
    if (conversion == 's' && (flags & 2)) return;  // '0' on text is undefined in printf
    std::string cPattern = "<" + directive + (wide ? "ll" : "") + conversion + ">";
    std::string ourPattern = "<" + directive + (wide && (flags & 8) ? "I64" : wide ? "ll" : "") + conversion + ">";
    std::int64_t number = 0;
    for (int i = 0; i < 8; ++i)
        number = static_cast<std::int64_t>(static_cast<std::uint64_t>(number) << 8 | input.byte());
    std::string text;
    for (char c : input.bytes(16)) text += static_cast<char>(0x20 + static_cast<unsigned char>(c) % 0x5F);

    char expected[512];
    int length = 0;
    if (conversion == 's') {
        length = std::snprintf(expected, sizeof expected, cPattern.c_str(), text.c_str());
    } else if (wide) {
        length = std::snprintf(expected, sizeof expected, cPattern.c_str(), static_cast<long long>(number));
    } else if (conversion == 'd') {
        length = std::snprintf(expected, sizeof expected, cPattern.c_str(),
                               static_cast<int>(static_cast<std::int32_t>(number)));
    } else {
        length = std::snprintf(expected, sizeof expected, cPattern.c_str(),
                               static_cast<unsigned>(static_cast<std::uint32_t>(number)));
    }
    check(length > 0 && static_cast<std::size_t>(length) < sizeof expected);
    std::u16string textArg = widen(text);
    std::u16string ours = conversion == 's' ? core::format(widen(ourPattern), {std::u16string_view(textArg)})
                                            : core::format(widen(ourPattern), {number});
    check(ours == widen(std::string_view(expected, static_cast<std::size_t>(length))));
}

void checkAnyPattern(fuzz::Input& input) {
    std::u16string pattern;
    for (std::size_t n = input.byte() % 48; n > 0; --n) pattern += static_cast<char16_t>(patternChar(input.byte()));
    std::u16string textArg = input.shortText(8);
    std::int64_t number = static_cast<std::int8_t>(input.byte());
    std::u16string out = core::format(pattern, {number, std::u16string_view(textArg), number});
    if (pattern.find(u'%') == std::u16string::npos) check(out == pattern);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    std::uint8_t mode = input.byte();
    switch (mode % 4) {
        case 0:
            checkAgainstPrintf(input);
            return 0;
        case 1:
            checkAnyPattern(input);
            return 0;
        default:
            break;
    }
    std::u16string ownKey;
    std::u16string_view key;
    std::uint8_t choice = input.byte();
    if (choice < std::size(kKeys)) {
        key = kKeys[choice];
    } else {
        ownKey = input.shortText(6);
        key = ownKey;
    }
    std::u16string text = input.units(input.left() / 2);
    checkTaggedReaders(text, key);
    checkScanners(text);
    return 0;
}
