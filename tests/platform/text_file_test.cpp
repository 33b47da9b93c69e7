// SPDX-License-Identifier: MIT
#include "platform/text_file.h"

#include <gtest/gtest.h>

#include "platform/test_bytes.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

using Lines = std::vector<std::u16string>;

Lines readLines(const test::TempFolder& temp, const std::string& name) {
    Lines lines;
    EXPECT_TRUE(readTextLines(temp.file16(name), &lines));
    return lines;
}

TEST(TextFileRead, SkipsUtf8ByteOrderMarkAndAcceptsBothLineEnds) {
    test::TempFolder temp;
    temp.write("a.txt",
               "\xEF\xBB\xBF"
               "first\r\nsecond\nthird");
    EXPECT_EQ(readLines(temp, "a.txt"), (Lines{u"first", u"second", u"third"}));
}

TEST(TextFileRead, KeepsEmptyLinesAndDropsNothingAfterFinalLineEnd) {
    test::TempFolder temp;
    temp.write("a.txt", "one\r\n\r\ntwo\n\n");
    EXPECT_EQ(readLines(temp, "a.txt"), (Lines{u"one", u"", u"two", u""}));
}

TEST(TextFileRead, FileWithoutByteOrderMarkIsUtf8) {
    test::TempFolder temp;
    temp.write("a.txt", "caf\xC3\xA9\n");
    EXPECT_EQ(readLines(temp, "a.txt"), (Lines{u"caf\u00E9"}));
}

TEST(TextFileRead, Utf16WithMarkIsDecodedInEitherByteOrderWithAnyLineEnd) {
    test::TempFolder temp;
    temp.write("le.txt", test::utf16leWithBom(u"\u65E5\u672C\r\nx\ny\rz"));
    EXPECT_EQ(readLines(temp, "le.txt"), (Lines{u"\u65E5\u672C", u"x", u"y", u"z"}));
    temp.write("be.txt", test::utf16beWithBom(u"\u65E5\u672C\r\r\nx\r"));
    EXPECT_EQ(readLines(temp, "be.txt"), (Lines{u"\u65E5\u672C", u"", u"x"}));
}

TEST(TextFileRead, MissingFileFails) {
    test::TempFolder temp;
    Lines lines;
    EXPECT_FALSE(readTextLines(temp.file16("missing.txt"), &lines));
}

TEST(TextFileDecode, ReportsEncodingAndDropsOddTrailingByte) {
    TextEncoding encoding = TextEncoding::Utf8;
    EXPECT_EQ(decodeText(test::utf16leWithBom(u"ab") + "c", &encoding), u"ab");
    EXPECT_EQ(encoding, TextEncoding::Utf16Le);
    EXPECT_EQ(decodeText("\xEF\xBB\xBFxy", &encoding), u"xy");
    EXPECT_EQ(encoding, TextEncoding::Utf8);
}

TEST(TextFileWrite, Utf16LeRoundTripWithCrLf) {
    test::TempFolder temp;
    Lines lines{u"#name (Search)", u"/videos/\u6620\u753B.mp4", u"", u"#end"};
    ASSERT_TRUE(writeTextLines(temp.file16("l.txt"), lines, TextEncoding::Utf16Le));
    EXPECT_EQ(temp.read("l.txt"), test::utf16leWithBom(u"#name (Search)\r\n/videos/\u6620\u753B.mp4\r\n\r\n#end\r\n"));
    EXPECT_EQ(readLines(temp, "l.txt"), lines);
}

TEST(TextFileWrite, Utf8WithMarkAndCrLf) {
    test::TempFolder temp;
    ASSERT_TRUE(writeTextLines(temp.file16("l.txt"), {u"a", u"\u00E9"}, TextEncoding::Utf8));
    EXPECT_EQ(temp.read("l.txt"),
              "\xEF\xBB\xBF"
              "a\r\n\xC3\xA9\r\n");
}

TEST(TextFileWrite, CreateEmptyTruncatesToTheMarkAlone) {
    test::TempFolder temp;
    temp.write("e.ini", "old content");
    ASSERT_TRUE(createEmptyTextFile(temp.file16("e.ini"), TextEncoding::Utf16Le));
    EXPECT_EQ(temp.read("e.ini"), "\xFF\xFE");
    ASSERT_TRUE(createEmptyTextFile(temp.file16("e.txt"), TextEncoding::Utf8));
    EXPECT_EQ(temp.read("e.txt"), "\xEF\xBB\xBF");
    EXPECT_TRUE(readLines(temp, "e.txt").empty());
}

}  // namespace
}  // namespace tvr::platform
