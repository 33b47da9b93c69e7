// SPDX-License-Identifier: MIT
// Our private-profile implementation against the real GetPrivateProfileStringW and
// WritePrivateProfileStringW: every case starts two identical files, applies the same reads and
// writes to both, and expects the same values and, after each write, the same bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "platform/test_bytes.h"
#include "platform/text_file.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

using test::utf16leWithBom;

struct Operation {
    bool write = false;
    std::u16string section;
    std::u16string key;
    std::u16string value;  // written, or ignored for a read
};

Operation read(std::u16string section, std::u16string key) { return {false, std::move(section), std::move(key), {}}; }
Operation write(std::u16string section, std::u16string key, std::u16string value) {
    return {true, std::move(section), std::move(key), std::move(value)};
}

struct IniCase {
    const char* name;
    bool exists;        // false: the file is missing at the start
    std::string bytes;  // the starting content
    std::vector<Operation> operations;
    // Windows edits the file in place and leaves the lines it does not change byte for byte, as
    // we do. Wine rewrites the whole file from what it parsed: blanks around section names, keys
    // and values go, and LF or CR line ends become CR LF. Under Wine such a case compares the
    // files line by line in that normal form, and their encodings, instead of byte for byte.
    bool wineRewritesUntouchedLines = false;
};

bool underWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::u16string trimmed(std::u16string_view text) {
    constexpr std::u16string_view kBlanks = u" \t";
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos) return {};
    return std::u16string(text.substr(first, text.find_last_not_of(kBlanks) - first + 1));
}

// The file as Wine writes it: in its own encoding, every line in its trimmed form, ending in
// CR LF, whatever ended it before (CR LF, LF or a lone CR).
std::u16string wineNormalForm(const std::string& bytes) {
    TextEncoding encoding = TextEncoding::Utf8;
    std::u16string text = decodeText(bytes, &encoding);
    std::u16string out = encoding == TextEncoding::Utf8      ? u"UTF-8\n"
                         : encoding == TextEncoding::Utf16Le ? u"LE\n"
                                                             : u"BE\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = trimmed(std::u16string_view(text).substr(start, end - start));
        std::size_t equals = line.find(u'=');
        if (!line.empty() && line.front() == u'[' && line.back() == u']') {
            line = u"[" + trimmed(std::u16string_view(line).substr(1, line.size() - 2)) + u"]";
        } else if (equals != std::u16string::npos) {
            line = trimmed(std::u16string_view(line).substr(0, equals)) + u"=" +
                   trimmed(std::u16string_view(line).substr(equals + 1));
        }
        out += line + u"\r\n";
        start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
    }
    return out;
}

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The profile functions take a name without a backslash as relative to the Windows folder.
std::wstring windowsPath(const std::string& utf8) {
    std::wstring path = wide(platform::fromUtf8(utf8));
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path;
}

std::u16string windowsRead(const std::wstring& file, const Operation& op) {
    std::vector<wchar_t> buffer(65536);
    DWORD length = ::GetPrivateProfileStringW(wide(op.section).c_str(), wide(op.key).c_str(), L"<default>",
                                              buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    return std::u16string(buffer.begin(), buffer.begin() + length);
}

const std::u16string kLong(3000, u'x');

std::vector<IniCase> corpus() {
    return {
        {"utf16_names_any_case",
         true,
         utf16leWithBom(u"[Config]\r\niPortServer=11922\r\n"),
         {read(u"Config", u"iPortServer"), read(u"CONFIG", u"iportserver"), read(u"Config", u"missing"),
          read(u"Other", u"iPortServer"), write(u"config", u"IPORTSERVER", u"1"), write(u"Config", u"NewKey", u"v"),
          write(u"New Section", u"k", u"v"), read(u"new section", u"K")}},
        {"blanks_around_names_and_values",
         true,
         utf16leWithBom(u"[ Config ]\r\n  key  =  value  \r\n\tTabbed\t=\tx\t\r\n"),
         {read(u"Config", u"key"), read(u"Config", u"Tabbed"), write(u"Config", u"key", u"new"),
          write(u"Config", u"tabbed", u"y")},
         true},
        {"quoted_values",
         true,
         utf16leWithBom(u"[Q]\r\nk1=\"double\"\r\nk2='single'\r\nk3=\"open\r\nk4=\" spaced \"\r\nk5=\"a\"b\"\r\n"),
         {read(u"Q", u"k1"), read(u"Q", u"k2"), read(u"Q", u"k3"), read(u"Q", u"k4"), read(u"Q", u"k5"),
          write(u"Q", u"k6", u"\"half"), write(u"Q", u"k7", u"a\"b'")}},
        {"duplicate_sections_and_keys",
         true,
         utf16leWithBom(u"[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\nj=4\r\n"),
         {read(u"A", u"k"), read(u"A", u"j"), write(u"A", u"k", u"x"), write(u"a", u"j", u"y"), read(u"A", u"j")}},
        {"empty_values",
         true,
         utf16leWithBom(u"[A]\r\nk=\r\nm=   \r\n"),
         {read(u"A", u"k"), read(u"A", u"m"), write(u"A", u"k", u""), write(u"A", u"n", u""), read(u"A", u"n")},
         true},
        {"keys_before_any_section",
         true,
         utf16leWithBom(u"top=1\r\n[A]\r\nk=a\r\n"),
         {read(u"A", u"top"), read(u"A", u"k"), write(u"A", u"x", u"2"), write(u"B", u"top", u"3")}},
        {"lf_line_ends",
         true,
         utf16leWithBom(u"[A]\nk=1\nj=2\n"),
         {read(u"A", u"k"), read(u"A", u"j"), write(u"A", u"k", u"3"), write(u"A", u"z", u"4"),
          write(u"B", u"y", u"5")},
         true},
        {"missing_section_after_unterminated_line",
         true,
         utf16leWithBom(u"[A]\r\nk=1"),
         {write(u"B", u"x", u"2"), read(u"A", u"k"), read(u"B", u"x")}},
        {"ascii_file_without_mark",
         true,
         "[A]\r\nk=1\r\n",
         {read(u"A", u"k"), write(u"A", u"k", u"2"), write(u"A", u"new", u"x"), write(u"C", u"c", u"d")}},
        {"japanese_text",
         true,
         utf16leWithBom(u"[\u8A2D\u5B9A]\r\n\u540D\u524D=\u30D3\u30C7\u30AA\r\n"),
         {read(u"\u8A2D\u5B9A", u"\u540D\u524D"), write(u"\u8A2D\u5B9A", u"\u540D\u524D", u"\u6620\u753B"),
          write(u"\u30C1\u30E3\u30F3\u30CD\u30EB", u"\u30D1\u30B9", u"C:\\\u52D5\u753B")}},
        {"long_value",
         true,
         utf16leWithBom(u"[A]\r\n"),
         {write(u"A", u"long", kLong), read(u"A", u"long"), write(u"A", u"long", u"short")}},
        {"utf16be_with_mark",
         true,
         test::utf16beWithBom(u"[Config]\r\niPortServer=12000\r\npcPath=C:\\\u52D5\u753B\r\n"),
         {read(u"Config", u"iPortServer"), read(u"Config", u"pcPath"), write(u"Config", u"iPortServer", u"1"),
          write(u"Config", u"new", u"\u65E5"), write(u"Other", u"k", u"v"), read(u"other", u"K")}},
        {"cr_only_line_ends",
         true,
         "[A]\rk=1\rj=2\r[B]\rz=3\r",
         {read(u"A", u"k"), read(u"A", u"j"), read(u"B", u"z"), write(u"A", u"k", u"4"), write(u"A", u"n", u"5"),
          write(u"C", u"c", u"6"), read(u"A", u"n")},
         true},
        {"utf16le_cr_only",
         true,
         utf16leWithBom(u"[A]\rk=1\r[B]\rz=3"),
         {read(u"A", u"k"), read(u"B", u"z"), write(u"A", u"k", u"4"), write(u"B", u"n", u"5"),
          write(u"C", u"c", u"6")},
         true},
        {"utf16be_cr_only",
         true,
         test::utf16beWithBom(u"[A]\rk=1\r"),
         {read(u"A", u"k"), write(u"A", u"k", u"2"), write(u"A", u"m", u"3"), write(u"D", u"d", u"4")},
         true},
        {"lone_cr_among_crlf",
         true,
         "[A]\r\nk=1\rj=2\r\n[B]\r\ny=3\r",
         {read(u"A", u"k"), read(u"A", u"j"), read(u"B", u"y"), write(u"A", u"j", u"4"), write(u"B", u"n", u"5")},
         true},
        {"missing_file", false, "", {read(u"A", u"k"), write(u"A", u"k", u"v"), read(u"A", u"k")}},
    };
}

class IniConformance : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniConformance, SameValuesAndBytesAsWindows) {
    const IniCase& c = GetParam();
    test::TempFolder temp;
    if (c.exists) {
        temp.write("ours.ini", c.bytes);
        temp.write("windows.ini", c.bytes);
    }
    const std::u16string ours = temp.file16("ours.ini");
    const std::wstring windows = windowsPath(temp.file("windows.ini"));
    for (std::size_t i = 0; i < c.operations.size(); ++i) {
        const Operation& op = c.operations[i];
        SCOPED_TRACE("operation " + std::to_string(i) + (op.write ? " write " : " read ") +
                     platform::toUtf8(op.section) + "/" + platform::toUtf8(op.key));
        if (!op.write) {
            EXPECT_EQ(platform::toUtf8(iniReadString(ours, op.section, op.key, u"<default>")),
                      platform::toUtf8(windowsRead(windows, op)));
            continue;
        }
        ASSERT_TRUE(iniWriteString(ours, op.section, op.key, op.value));
        ASSERT_TRUE(::WritePrivateProfileStringW(wide(op.section).c_str(), wide(op.key).c_str(), wide(op.value).c_str(),
                                                 windows.c_str()));
        if (c.exists && c.wineRewritesUntouchedLines && underWine()) {
            EXPECT_EQ(platform::toUtf8(wineNormalForm(temp.read("ours.ini"))),
                      platform::toUtf8(wineNormalForm(temp.read("windows.ini"))));
        } else if (c.exists) {
            EXPECT_EQ(temp.read("ours.ini"), temp.read("windows.ini"));
        } else {
            // A new file differs on purpose: Windows creates it in the ANSI code page, which cannot
            // hold every name, and we create it UTF-16LE with a byte-order mark. The text is the same.
            EXPECT_EQ(temp.read("ours.ini"), utf16leWithBom(platform::fromUtf8(temp.read("windows.ini"))));
        }
    }
}

// Windows would write a value with blanks or quotes at its ends bare and read it back changed; we
// write it in double quotes, and the real reader must give back exactly what we wrote.
TEST(IniConformanceQuoting, WindowsReadsOurQuotedValuesAsWritten) {
    const std::u16string values[] = {u"C:\\show ", u" show", u"show\t", u" \t ",   u"\"kept\"", u"'kept'",
                                     u"\" x \"",   u"\"\"",  u"\"x ",   u"\"open", u";a=b; ",   u"\U0001F3A5\u52D5 "};
    test::TempFolder temp;
    const std::u16string ours = temp.file16("ours.ini");
    const std::wstring windows = windowsPath(temp.file("ours.ini"));
    for (std::size_t i = 0; i < std::size(values); ++i) {
        const std::u16string key = u"k" + platform::fromUtf8(std::to_string(i));
        ASSERT_TRUE(iniWriteString(ours, u"Q", key, values[i]));
        EXPECT_EQ(platform::toUtf8(windowsRead(windows, read(u"Q", key))), platform::toUtf8(values[i]));
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, IniConformance, ::testing::ValuesIn(corpus()),
                         [](const ::testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tvr::platform
