// SPDX-License-Identifier: MIT
#include "core/text.h"

#include <limits>

#include "platform/case_fold.h"

namespace tvr::core {

std::u16string toLower(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = platform::detail::foldCase(c);
    return out;
}

namespace {

struct Directive {
    bool leftAlign = false;
    bool zeroPad = false;
    std::size_t width = 0;
    bool wide64 = false;
    char16_t conversion = 0;
};

void appendPadded(std::u16string& out, std::u16string_view body, const Directive& directive, bool numeric) {
    if (body.size() >= directive.width) {
        out += body;
        return;
    }
    std::size_t fill = directive.width - body.size();
    if (directive.leftAlign) {
        out += body;
        out.append(fill, u' ');
    } else if (directive.zeroPad && numeric) {
        // The sign stays in front of the zeros, as printf does it.
        std::size_t signLength = (!body.empty() && body[0] == u'-') ? 1 : 0;
        out += body.substr(0, signLength);
        out.append(fill, u'0');
        out += body.substr(signLength);
    } else {
        out.append(fill, u' ');
        out += body;
    }
}

std::u16string digitsOf(std::uint64_t value, unsigned base, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string reversed;
    do {
        reversed += static_cast<char16_t>(digits[value % base]);
        value /= base;
    } while (value != 0);
    return std::u16string(reversed.rbegin(), reversed.rend());
}

std::u16string formatInteger(std::int64_t value, const Directive& directive) {
    switch (directive.conversion) {
        case u'd':
        case u'i': {
            std::int64_t signedValue = directive.wide64 ? value : static_cast<std::int32_t>(value);
            bool negative = signedValue < 0;
            // Negating through unsigned arithmetic keeps INT64_MIN defined.
            std::uint64_t magnitude =
                negative ? 0 - static_cast<std::uint64_t>(signedValue) : static_cast<std::uint64_t>(signedValue);
            std::u16string text = digitsOf(magnitude, 10, false);
            return negative ? u"-" + text : text;
        }
        case u'u':
        case u'x':
        case u'X': {
            std::uint64_t bits =
                directive.wide64 ? static_cast<std::uint64_t>(value) : static_cast<std::uint32_t>(value);
            unsigned base = directive.conversion == u'u' ? 10 : 16;
            return digitsOf(bits, base, directive.conversion == u'X');
        }
        default:
            return {};
    }
}

// Reads flags, width and length prefix after a '%'; returns false when no conversion follows.
bool parseSpec(std::u16string_view pattern, std::size_t* pos, Directive* directive) {
    std::size_t i = *pos;
    for (; i < pattern.size(); ++i) {
        if (pattern[i] == u'-') {
            directive->leftAlign = true;
        } else if (pattern[i] == u'0') {
            directive->zeroPad = true;
        } else {
            break;
        }
    }
    for (; i < pattern.size() && pattern[i] >= u'0' && pattern[i] <= u'9'; ++i) {
        // Widths beyond a few thousand are nonsense in a pattern; cap them so they cannot exhaust memory.
        if (directive->width < 100000)
            directive->width = directive->width * 10 + static_cast<std::size_t>(pattern[i] - u'0');
    }
    if (pattern.substr(i, 3) == u"I64") {
        directive->wide64 = true;
        i += 3;
    } else if (pattern.substr(i, 2) == u"ll") {
        directive->wide64 = true;
        i += 2;
    }
    if (i >= pattern.size()) return false;
    directive->conversion = pattern[i];
    *pos = i + 1;
    return true;
}

}  // namespace

std::u16string format(std::u16string_view pattern, std::initializer_list<FormatArg> args) {
    std::u16string out;
    auto next = args.begin();
    std::size_t i = 0;
    while (i < pattern.size()) {
        char16_t c = pattern[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        std::size_t start = i;
        std::size_t pos = i + 1;
        Directive directive;
        if (!parseSpec(pattern, &pos, &directive)) {
            out += pattern.substr(start);
            break;
        }
        i = pos;
        bool isInteger = directive.conversion == u'd' || directive.conversion == u'i' || directive.conversion == u'u' ||
                         directive.conversion == u'x' || directive.conversion == u'X';
        if (!isInteger && directive.conversion != u's') {
            // Unknown conversions are kept as written, so a broken pattern stays visible.
            out += pattern.substr(start, pos - start);
            continue;
        }
        if (next == args.end()) continue;
        const FormatArg& arg = *next++;
        if (isInteger) {
            if (const auto* value = std::get_if<std::int64_t>(&arg)) {
                appendPadded(out, formatInteger(*value, directive), directive, true);
            }
        } else if (const auto* text = std::get_if<std::u16string_view>(&arg)) {
            appendPadded(out, *text, directive, false);
        }
    }
    return out;
}

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// wcstol-style scan clamped to [low, high]; digits counts the digits read.
std::int64_t scanClamped(std::u16string_view text, std::int64_t low, std::int64_t high, std::size_t* end,
                         std::size_t* digits) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const std::uint64_t limit = negative ? 0 - static_cast<std::uint64_t>(low) : static_cast<std::uint64_t>(high);
    std::uint64_t magnitude = 0;
    std::size_t count = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++count) {
        std::uint64_t digit = static_cast<std::uint64_t>(text[i] - u'0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (digits != nullptr) *digits = count;
    if (count == 0) {
        if (end != nullptr) *end = 0;
        return 0;
    }
    if (end != nullptr) *end = i;
    if (negative) return magnitude == 0 ? 0 : -static_cast<std::int64_t>(magnitude - 1) - 1;
    return static_cast<std::int64_t>(magnitude);
}

}  // namespace

std::int32_t scanInt32(std::u16string_view text, std::size_t* end) {
    std::size_t digits = 0;
    return static_cast<std::int32_t>(scanClamped(text, std::numeric_limits<std::int32_t>::min(),
                                                 std::numeric_limits<std::int32_t>::max(), end, &digits));
}

std::int64_t scanInt64(std::u16string_view text, std::size_t* end) {
    std::size_t digits = 0;
    return scanClamped(text, std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), end,
                       &digits);
}

bool scanDecimal(std::u16string_view text, std::int64_t* value) {
    std::size_t digits = 0;
    std::int64_t result = scanClamped(text, std::numeric_limits<std::int64_t>::min(),
                                      std::numeric_limits<std::int64_t>::max(), nullptr, &digits);
    if (digits == 0) return false;
    if (value != nullptr) *value = result;
    return true;
}

bool isStorableLine(std::u16string_view text) {
    return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) == text.npos && !platform::hasUnpairedSurrogate(text);
}

std::optional<std::u16string> quotedAfter(std::u16string_view text, std::u16string_view marker) {
    const std::size_t at = text.find(marker);
    if (at == std::u16string_view::npos) return std::nullopt;
    const std::size_t open = text.find(u'"', at + marker.size());
    if (open == std::u16string_view::npos) return std::nullopt;
    const std::size_t close = text.find(u'"', open + 1);
    if (close == std::u16string_view::npos) return std::nullopt;
    return std::u16string(text.substr(open + 1, close - open - 1));
}

std::u16string replaceAll(std::u16string_view text, char16_t from, char16_t to) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c == from) c = to;
    }
    return out;
}

}  // namespace tvr::core
