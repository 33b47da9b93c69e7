// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/ini_file.h"
#include "platform/test_bytes.h"
#include "platform/text_file.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

using test::utf16leWithBom;

constexpr char16_t kSample[] =
    u"[ ch.0 ]\r\n"
    u"  iType = 1\r\n"
    u"pcPath=\"/videos/My Films\"\r\n"
    u"\r\n"
    u"[Config]\r\n"
    u"PcPassword\t=\t'secret'  \r\n"
    u"not a key line\r\n"
    u"iPortServer=11922\r\n"
    u"\r\n"
    u"[config]\r\n"
    u"iPortServer=1\r\n";

std::size_t entriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

class IniFileTest : public ::testing::Test {
protected:
    std::u16string read(std::u16string_view section, std::u16string_view key) {
        return iniReadString(path_, section, key, u"<none>");
    }
    bool write(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
        return iniWriteString(path_, section, key, value);
    }
    test::TempFolder temp_;
    std::u16string path_ = temp_.file16("TamvikVRServer.ini");
};

TEST_F(IniFileTest, ReadsCaseInsensitivelyWithTrimmedNamesAndValues) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(kSample));
    EXPECT_EQ(read(u"CH.0", u"itype"), u"1");
    EXPECT_EQ(read(u"config", u"IPORTSERVER"), u"11922");
    EXPECT_EQ(read(u"Config", u"not a key line"), u"<none>");
    EXPECT_EQ(read(u"Missing", u"iType"), u"<none>");
    EXPECT_EQ(read(u"ch.0", u"iPortServer"), u"<none>");
}

TEST_F(IniFileTest, StripsOneMatchingPairOfQuotes) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(kSample + std::u16string(u"[q]\r\na=\"x'\r\nb=''\r\n")));
    EXPECT_EQ(read(u"ch.0", u"pcPath"), u"/videos/My Films");
    EXPECT_EQ(read(u"Config", u"pcPassword"), u"secret");
    EXPECT_EQ(read(u"q", u"a"), u"\"x'");
    EXPECT_EQ(read(u"q", u"b"), u"");
}

TEST_F(IniFileTest, MissingFileGivesFallback) { EXPECT_EQ(read(u"a", u"b"), u"<none>"); }

TEST_F(IniFileTest, ReplacingAValueKeepsEveryOtherByte) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(kSample));
    ASSERT_TRUE(write(u"CONFIG", u"pcpassword", u"new value"));
    std::u16string expected(kSample);
    expected.replace(expected.find(u"PcPassword"), std::u16string_view(u"PcPassword\t=\t'secret'  ").size(),
                     u"PcPassword=new value");
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(expected));
    EXPECT_EQ(read(u"Config", u"pcPassword"), u"new value");
}

TEST_F(IniFileTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(kSample));
    ASSERT_TRUE(write(u"ch.0", u"iExtra", u"7"));
    std::u16string expected(kSample);
    expected.insert(expected.find(u"\r\n[Config]"), u"iExtra=7\r\n");
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(expected));
}

TEST_F(IniFileTest, NewSectionIsAppendedAtTheEnd) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(u"[a]\r\nx=1"));
    ASSERT_TRUE(write(u"Setup", u"iSeek1FF", u"10"));
    ASSERT_TRUE(write(u"Setup", u"iSeek1RW", u"5"));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"),
              utf16leWithBom(u"[a]\r\nx=1\r\n[Setup]\r\niSeek1FF=10\r\niSeek1RW=5\r\n"));
}

TEST_F(IniFileTest, Utf8FileStaysUtf8WithItsLineEnds) {
    temp_.write("TamvikVRServer.ini", "\xEF\xBB\xBF[s]\nk=\xC3\xA9\n");
    ASSERT_TRUE(write(u"s", u"n", u"\u00FC"));
    ASSERT_TRUE(write(u"t", u"k", u"v"));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), "\xEF\xBB\xBF[s]\nk=\xC3\xA9\nn=\xC3\xBC\n[t]\nk=v\n");
    EXPECT_EQ(read(u"s", u"k"), u"\u00E9");

    temp_.write("plain.ini", "[s]\r\nk=1\r\n");
    ASSERT_TRUE(iniWriteString(temp_.file16("plain.ini"), u"s", u"k", u"2"));
    EXPECT_EQ(temp_.read("plain.ini"), "[s]\r\nk=2\r\n");
}

TEST_F(IniFileTest, MissingFileIsCreatedAsUtf16LeWithMark) {
    ASSERT_TRUE(write(u"ch.0", u"iType", u"0"));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(u"[ch.0]\r\niType=0\r\n"));
}

TEST_F(IniFileTest, EmptyFileWithMarkGetsNoLeadingBlankLine) {
    temp_.write("TamvikVRServer.ini", "\xFF\xFE");
    ASSERT_TRUE(write(u"m", u"rtA", u"100"));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(u"[m]\r\nrtA=100\r\n"));
}

TEST_F(IniFileTest, NoTemporaryFileIsLeftBehind) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(kSample));
    ASSERT_TRUE(write(u"Config", u"iPortHttp", u"11921"));
    ASSERT_TRUE(write(u"New", u"k", u"v"));
    EXPECT_EQ(entriesIn(temp_.path()), 1u);
}

TEST_F(IniFileTest, RefusesTextThatWouldAddLines) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(kSample));
    EXPECT_FALSE(write(u"Config", u"k", u"a\r\n[Evil]"));
    EXPECT_FALSE(write(u"Config", u"a=b", u"v"));
    EXPECT_FALSE(write(u"Con]fig", u"k", u"v"));
    EXPECT_FALSE(write(u"Config", u"", u"v"));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(kSample));
}

TEST_F(IniFileTest, Utf8FileRefusesTextItCannotHold) {
    const std::u16string loneSurrogate(1, static_cast<char16_t>(0xD800));
    temp_.write("TamvikVRServer.ini", "[s]\r\nk=1\r\n");
    EXPECT_FALSE(write(u"A" + loneSurrogate, u"a", u""));
    EXPECT_FALSE(write(u"s", loneSurrogate, u"v"));
    EXPECT_FALSE(write(u"s", u"k", u"x" + loneSurrogate));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), "[s]\r\nk=1\r\n");

    ASSERT_TRUE(write(u"s", u"k", u"\U0001F3A5"));
    EXPECT_EQ(read(u"s", u"k"), u"\U0001F3A5");
}

TEST_F(IniFileTest, Utf16FileKeepsAnyCodeUnit) {
    const std::u16string loneSurrogate(1, static_cast<char16_t>(0xD800));
    temp_.write("TamvikVRServer.ini", utf16leWithBom(u"[s]\r\n"));
    ASSERT_TRUE(write(u"A" + loneSurrogate, u"a", loneSurrogate));
    EXPECT_EQ(read(u"A" + loneSurrogate, u"a"), loneSurrogate);
}

TEST_F(IniFileTest, UnreadableTargetFailsWithoutCreatingAFile) {
    temp_.makeFolder("TamvikVRServer.ini");
    EXPECT_FALSE(write(u"a", u"b", u"c"));
    EXPECT_EQ(read(u"a", u"b"), u"<none>");
}

TEST_F(IniFileTest, SeveralKeysAreWrittenAllOrNone) {
    temp_.write("TamvikVRServer.ini", utf16leWithBom(u"[s]\r\nk=1\r\n"));
    const IniEntry refused[] = {{u"s", u"k", u"2"}, {u"t", u"new", u"v"}, {u"s", u"bad", u"line\nbreak"}};
    EXPECT_FALSE(iniWriteStrings(path_, refused));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(u"[s]\r\nk=1\r\n"));

    const IniEntry entries[] = {{u"s", u"k", u"2"}, {u"t", u"new", u"v"}, {u"S", u"k2", u"3"}, {u"t", u"new", u"w"}};
    ASSERT_TRUE(iniWriteStrings(path_, entries));
    EXPECT_EQ(temp_.read("TamvikVRServer.ini"), utf16leWithBom(u"[s]\r\nk=2\r\nk2=3\r\n[t]\r\nnew=w\r\n"));
    EXPECT_EQ(entriesIn(temp_.path()), 1u);
}

// Writes edit a document in place; after each one every key reads as it does from the bytes, in
// every encoding and line-end style, whether the write replaced, inserted or appended.
TEST(IniDocumentTest, AnEditedDocumentReadsLikeItsOwnBytes) {
    const std::string starts[] = {
        "",
        "\xFF\xFE",
        utf16leWithBom(kSample),
        "[a]\nx=1\n[b]\ny=2",
        "k0=before any section\r\n[a]\r\nx=1\r",
        "\xEF\xBB\xBF[A]\r\n  X = 1 \r\n[b]\r\n[a]\r\nx=dup\r\n",
        // A lone CR ends a line, also among LF line ends.
        "[b]\ny=2\n[a\r",
        utf16leWithBom(u"[b]\ny=2\n[a\r"),
    };
    const IniEntry writes[] = {
        {u"a", u"x", u"a much longer value than before"},
        {u"b", u"new", u"1"},
        {u"A", u" X ", u""},
        {u"ch.0", u"pcPath", u"\u65E5\u672C"},
        {u"b", u"y", u"3"},
        {u"Config", u"iPortServer", u"11922"},
        {u"zz", u"k", u"v"},
        {u"b", u"NEW", u"22"},
        {u"ch.0", u"iType", u"1"},
    };
    const std::pair<std::u16string_view, std::u16string_view> others[] = {
        {u"Config", u"PcPassword"}, {u"config", u"iPortServer"}, {u"", u"k0"}, {u"b", u"y"}, {u"q", u"q"}};
    for (const std::string& start : starts) {
        IniDocument document(start);
        for (const IniEntry& entry : writes) {
            ASSERT_TRUE(document.write(entry.section, entry.key, entry.value));
            EXPECT_EQ(document.find(entry.section, entry.key), std::u16string(entry.value));
            const IniDocument reread(document.bytes());
            for (const IniEntry& probe : writes) {
                EXPECT_EQ(document.find(probe.section, probe.key), reread.find(probe.section, probe.key))
                    << "starting from \"" << start << "\", after writing " << toUtf8(entry.key);
            }
            for (auto [section, key] : others) {
                EXPECT_EQ(document.find(section, key), reread.find(section, key)) << toUtf8(key);
            }
        }
    }
}

// Files as people write them, in every encoding Windows reads and with every line end: the keys
// read, and the writes keep the file's encoding, mark and line ends, byte for byte.
TEST_F(IniFileTest, FilesKeepTheirEncodingAndLineEnds) {
    struct Encoding {
        const char* name;
        std::string (*encode)(std::u16string_view);
    };
    const Encoding encodings[] = {
        {"UTF-8", [](std::u16string_view text) { return toUtf8(text); }},
        {"UTF-8 with mark", [](std::u16string_view text) { return encodeText(text, TextEncoding::Utf8); }},
        {"UTF-16LE", [](std::u16string_view text) { return encodeText(text, TextEncoding::Utf16Le); }},
        {"UTF-16BE", [](std::u16string_view text) { return encodeText(text, TextEncoding::Utf16Be); }},
    };
    const std::u16string lineEnds[] = {u"\r\n", u"\n", u"\r"};
    for (const Encoding& encoding : encodings) {
        for (const std::u16string& end : lineEnds) {
            SCOPED_TRACE(std::string(encoding.name) + ", line end " +
                         (end == u"\r\n" ? "CR LF"
                          : end == u"\n" ? "LF"
                                         : "CR"));
            auto lines = [&end](std::initializer_list<std::u16string_view> list) {
                std::u16string text;
                for (std::u16string_view line : list) text += std::u16string(line) + end;
                return text;
            };
            temp_.write("TamvikVRServer.ini", encoding.encode(lines({u"[Config]", u"iPortServer=12000", u"", u"[File]",
                                                                     u"pcTrimPath=C:\\\u52D5\u753B"})));
            EXPECT_EQ(read(u"config", u"iPortServer"), u"12000");
            EXPECT_EQ(read(u"File", u"pcTrimPath"), u"C:\\\u52D5\u753B");
            ASSERT_TRUE(write(u"Config", u"iPortServer", u"1"));
            ASSERT_TRUE(write(u"Config", u"iUseMouse", u"1"));
            ASSERT_TRUE(write(u"Setup", u"iSeek1FF", u"10"));
            EXPECT_EQ(temp_.read("TamvikVRServer.ini"),
                      encoding.encode(lines({u"[Config]", u"iPortServer=1", u"iUseMouse=1", u"", u"[File]",
                                             u"pcTrimPath=C:\\\u52D5\u753B", u"[Setup]", u"iSeek1FF=10"})));
        }
    }
}

// Whatever is written reads back exactly, from the file, in every encoding: a value the reader's
// trimming or quote stripping would change is written in double quotes, every other one as it is.
TEST_F(IniFileTest, AwkwardValuesReadBackAsWritten) {
    struct Row {
        const char* name;
        std::u16string value;
        std::u16string stored;  // as the line holds it after "key="
    };
    const Row rows[] = {
        {"trailing blank", u"/videos/show ", u"\"/videos/show \""},
        {"leading blank", u" show", u"\" show\""},
        {"trailing tab", u"C:\\\u52D5\u753B\t", u"\"C:\\\u52D5\u753B\t\""},
        {"leading tab", u"\tx", u"\"\tx\""},
        {"blanks only", u" \t ", u"\" \t \""},
        {"tab inside", u"a\tb", u"a\tb"},
        {"blank inside", u"My Films", u"My Films"},
        {"double quotes around", u"\"kept\"", u"\"\"kept\"\""},
        {"single quotes around", u"'kept'", u"\"'kept'\""},
        {"quotes around blanks", u"\" x \"", u"\"\" x \"\""},
        {"two quotes", u"\"\"", u"\"\"\"\""},
        {"one quote", u"\"", u"\""},
        {"quote at the start", u"\"open", u"\"open"},
        {"quote at the end", u"close'", u"close'"},
        {"quotes that differ", u"'mixed\"", u"'mixed\""},
        {"quote and trailing blank", u"\"x ", u"\"\"x \""},
        {"semicolons", u";not a comment; x", u";not a comment; x"},
        {"equals signs", u"a=b==c=", u"a=b==c="},
        {"non-BMP", u"\U0001F3A5\u52D5\U0001F3A5", u"\U0001F3A5\u52D5\U0001F3A5"},
        {"non-BMP and blank", u"\U0001F3A5 ", u"\"\U0001F3A5 \""},
        {"empty", u"", u""},
    };
    const std::pair<const char*, TextEncoding> encodings[] = {
        {"UTF-16LE", TextEncoding::Utf16Le}, {"UTF-8", TextEncoding::Utf8}, {"UTF-16BE", TextEncoding::Utf16Be}};
    for (auto [encodingName, encoding] : encodings) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(encodingName) + ", " + row.name);
            temp_.write("TamvikVRServer.ini", encodeText(u"[ch.1]\r\npcPath=old\r\n", encoding));
            ASSERT_TRUE(write(u"ch.1", u"pcPath", row.value));
            ASSERT_TRUE(write(u"ch.1", u"added", row.value));
            EXPECT_EQ(temp_.read("TamvikVRServer.ini"),
                      encodeText(u"[ch.1]\r\npcPath=" + row.stored + u"\r\nadded=" + row.stored + u"\r\n", encoding));
            EXPECT_EQ(toUtf8(read(u"ch.1", u"pcPath")), toUtf8(row.value));
            EXPECT_EQ(toUtf8(read(u"ch.1", u"added")), toUtf8(row.value));
        }
    }
}

TEST_F(IniFileTest, ThreadsWritingOneFileUnderTwoSpellingsLoseNoKey) {
    constexpr int kWrites = 1000;
    // Each write flushes the file to disk; memory-backed storage keeps 2,000 of them quick.
    const bool inMemory = std::filesystem::is_directory("/dev/shm");
    const test::TempFolder temp = inMemory ? test::TempFolder("/dev/shm") : test::TempFolder();
    temp.makeFolder("sub");
    // The second thread names the same file through "..": the lock must follow the file, not the text.
    const std::u16string spellings[] = {temp.file16("TamvikVRServer.ini"), temp.file16("sub/../TamvikVRServer.ini")};
    auto key = [](int thread, int i) { return fromUtf8("rw.t" + std::to_string(thread) + "." + std::to_string(i)); };
    std::atomic<int> failures{0};
    auto writer = [&](int thread) {
        for (int i = 0; i < kWrites; ++i)
            failures += iniWriteString(spellings[thread], u"Client", key(thread, i), u"1") ? 0 : 1;
    };
    std::thread first(writer, 0);
    std::thread second(writer, 1);
    first.join();
    second.join();
    EXPECT_EQ(failures.load(), 0);
    int missing = 0;
    for (int i = 0; i < 2 * kWrites; ++i)
        missing += iniReadString(spellings[0], u"Client", key(i % 2, i / 2), u"") == u"1" ? 0 : 1;
    EXPECT_EQ(missing, 0);
}

}  // namespace
}  // namespace tvr::platform
