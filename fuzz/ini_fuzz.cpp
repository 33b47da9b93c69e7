// SPDX-License-Identifier: MIT
// The settings file reader on any file content, and a write followed by reads: the written
// value reads back exactly (the writer quotes what the reader would trim or unquote) unless the
// write was refused, and a different key keeps the value it had.
#include <cstdlib>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "platform/case_fold.h"
#include "platform/ini_file.h"

namespace {

using namespace tvr;

constexpr std::u16string_view kFallback = u"\x1F(missing)";

void check(bool condition) {
    if (!condition) std::abort();
}

// Names come mostly from a few letters and the characters that mean something in the file, so
// they meet the names in the file often; one byte in eight is a raw code unit.
std::u16string name(fuzz::Input& input) {
    // A lone surrogate (0xD800) is text that not every file encoding can hold.
    static constexpr char16_t kAlphabet[] = {u'a',  u'A', u'b',  u'B',  u'[',  u']', u'=', u';',   u' ',
                                             u'\t', u'"', u'\'', u'\r', u'\n', 0xC0, 0xE0, 0xD800, 0xFFFD};
    std::u16string out;
    for (std::size_t n = input.byte() % 7; n > 0 && input.left() > 0; --n) {
        std::uint8_t byte = input.byte();
        if (byte % 8 == 7) {
            out += input.units(1);
        } else {
            out += kAlphabet[byte % std::size(kAlphabet)];
        }
    }
    return out;
}

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    a = trim(a);
    b = trim(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (platform::detail::foldCase(a[i]) != platform::detail::foldCase(b[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    std::uint8_t mode = input.byte();
    std::u16string section = name(input);
    std::u16string key = name(input);
    std::u16string value = name(input);
    std::u16string otherSection = name(input);
    std::u16string otherKey = name(input);

    const fuzz::TempFolder& folder = fuzz::tempFolder();
    if (mode % 8 == 0) {
        folder.remove("fuzz.ini");  // the write creates the file
    } else {
        folder.write("fuzz.ini", input.rest());
    }
    std::u16string file = folder.file("fuzz.ini");

    (void)platform::iniReadString(file, u"Settings", u"Port", kFallback);
    (void)platform::iniReadString(file, section, key, kFallback);
    std::u16string otherBefore = platform::iniReadString(file, otherSection, otherKey, kFallback);

    if (!platform::iniWriteString(file, section, key, value)) return 0;
    check(platform::iniReadString(file, section, key, kFallback) == value);
    if (!sameName(section, otherSection) || !sameName(key, otherKey)) {
        check(platform::iniReadString(file, otherSection, otherKey, kFallback) == otherBefore);
    }
    return 0;
}
