// SPDX-License-Identifier: MIT
#include "http/http_request.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace tvr::http {
namespace {

struct ParseCase {
    const char* name;
    std::string block;
    Method method;
    bool targetValid;
    std::u16string path;
    std::int32_t streamIndex;
    bool hasRange;
    std::int64_t rangeStart;
};

class ParseRequestTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseRequestTest, ReadsTheRequest) {
    const ParseCase& c = GetParam();
    HttpRequest request = parseRequest(c.block);
    EXPECT_EQ(request.method, c.method);
    EXPECT_EQ(request.targetValid, c.targetValid);
    EXPECT_EQ(request.path, c.path);
    EXPECT_EQ(request.streamIndex, c.streamIndex);
    EXPECT_EQ(request.hasRange, c.hasRange);
    EXPECT_EQ(request.rangeStart, c.rangeStart);
}

const ParseCase kCases[] = {
    {"PlainGet", "GET /C:/v/a.mp4 HTTP/1.1\r\n\r\n", Method::Get, true, u"C:/v/a.mp4", 0, false, 0},
    {"StreamOne", "GET /a.mp4?stream=1 HTTP/1.1\r\n\r\n", Method::Get, true, u"a.mp4", 1, false, 0},
    {"StreamAmongOtherParameters", "GET /a.mp4?x=2&stream=-3z HTTP/1.1\r\n\r\n", Method::Get, true, u"a.mp4", -3, false,
     0},
    {"QueryWithoutStream", "GET /a.mp4?id=7 HTTP/1.1\r\n\r\n", Method::Get, true, u"a.mp4", 0, false, 0},
    {"StreamClamped", "GET /a.mp4?stream=99999999999 HTTP/1.1\r\n\r\n", Method::Get, true, u"a.mp4",
     std::numeric_limits<std::int32_t>::max(), false, 0},
    {"EncodedSlashAndKanji", "GET /%2Fv%2F%E5%8B%95.mp4 HTTP/1.1\r\n\r\n", Method::Get, true, u"/v/\u52d5.mp4", 0,
     false, 0},
    {"LowerCaseHex", "GET /%e5%8b%95.mp4 HTTP/1.1\r\n\r\n", Method::Get, true, u"\u52d5.mp4", 0, false, 0},
    {"PlusStaysPlus", "GET /a+b.mp4 HTTP/1.1\r\n\r\n", Method::Get, true, u"a+b.mp4", 0, false, 0},
    // The query begins at the literal "?" only: an encoded one belongs to the file's name.
    {"EncodedQuestionMarkIsPartOfTheName", "GET /what%3F.mp4 HTTP/1.1\r\n\r\n", Method::Get, true, u"what?.mp4", 0,
     false, 0},
    {"EncodedQuestionMarkBeforeTheQuery", "GET /what%3F.mp4?stream=1 HTTP/1.1\r\n\r\n", Method::Get, true, u"what?.mp4",
     1, false, 0},
    {"EncodedStreamIsNoQuery", "GET /a.mp4%3Fstream=1 HTTP/1.1\r\n\r\n", Method::Get, true, u"a.mp4?stream=1", 0, false,
     0},
    {"LongPathPrefix", "GET /%5C%5C%3F%5CC:%5Cv%5Ca.mp4?stream=1 HTTP/1.1\r\n\r\n", Method::Get, true,
     u"\\\\?\\C:\\v\\a.mp4", 1, false, 0},
    {"ZeroByteEscapeInTheQueryOnly", "GET /a.mp4?x=%00&stream=1 HTTP/1.1\r\n\r\n", Method::Get, true, u"a.mp4", 1,
     false, 0},
    {"EscapeCutShort", "GET /a.mp4%4 HTTP/1.1\r\n\r\n", Method::Get, false, u"", 0, false, 0},
    {"DecodedZeroByte", "GET /a%00.mp4 HTTP/1.1\r\n\r\n", Method::Get, false, u"", 0, false, 0},
    {"TargetWithoutVersion", "GET /a.mp4\r\n\r\n", Method::Get, true, u"a.mp4", 0, false, 0},
    {"Range", "GET /a.mp4 HTTP/1.1\r\nRange: bytes=1000-\r\n\r\n", Method::Get, true, u"a.mp4", 0, true, 1000},
    {"RangeEndIgnored", "GET /a.mp4 HTTP/1.1\r\nRange: bytes=1000-1999\r\n\r\n", Method::Get, true, u"a.mp4", 0, true,
     1000},
    {"RangeLowerCaseName", "GET /a.mp4 HTTP/1.1\r\nrange: bytes=7-\r\n\r\n", Method::Get, true, u"a.mp4", 0, true, 7},
    {"SuffixRangeIsNegative", "GET /a.mp4 HTTP/1.1\r\nRange: bytes=-500\r\n\r\n", Method::Get, true, u"a.mp4", 0, true,
     -500},
    {"RangeWithoutBytes", "GET /a.mp4 HTTP/1.1\r\nRange: items=5-\r\n\r\n", Method::Get, true, u"a.mp4", 0, false, 0},
    {"LastRangeWins", "GET /a.mp4 HTTP/1.1\r\nRange: bytes=5-\r\nRange: bytes=9-\r\n\r\n", Method::Get, true, u"a.mp4",
     0, true, 9},
    {"Head", "HEAD /a.mp4?stream=1 HTTP/1.1\r\nRange: bytes=3-\r\n\r\n", Method::Head, true, u"a.mp4", 1, true, 3},
    {"OtherMethod", "POST /a.mp4 HTTP/1.1\r\n\r\n", Method::None, false, u"", 0, false, 0},
    {"LowerCaseMethodIgnored", "get /a.mp4 HTTP/1.1\r\n\r\n", Method::None, false, u"", 0, false, 0},
    {"RangeOnly", "Range: bytes=5-\r\n\r\n", Method::None, false, u"", 0, true, 5},
    {"UnterminatedLineIgnored", "GET /a.mp4", Method::None, false, u"", 0, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, ParseRequestTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(PercentDecode, NonHexDigitsCountAsZero) {
    std::string bytes;
    ASSERT_TRUE(percentDecode("%G1%4x", &bytes));
    EXPECT_EQ(bytes, std::string("\x01\x40"));
}

TEST(PercentDecode, RefusesAnEscapeInTheLastTwoCharacters) {
    std::string bytes;
    EXPECT_FALSE(percentDecode("ab%4", &bytes));
    EXPECT_FALSE(percentDecode("ab%", &bytes));
    EXPECT_TRUE(percentDecode("ab%41", &bytes));
    EXPECT_EQ(bytes, "abA");
}

TEST(RequestGatherer, WaitsForTheBlankLineAcrossSegments) {
    RequestGatherer gatherer;
    std::string block;
    gatherer.append("GET /a.mp4 HT");
    EXPECT_EQ(gatherer.next(&block), RequestGatherer::State::NeedMore);
    gatherer.append("TP/1.1\r\nRange: bytes=1-\r\n\r");
    EXPECT_EQ(gatherer.next(&block), RequestGatherer::State::NeedMore);
    gatherer.append("\nGET /b.mp4 HTTP/1.1\r\n\r\n");
    ASSERT_EQ(gatherer.next(&block), RequestGatherer::State::Complete);
    EXPECT_EQ(block, "GET /a.mp4 HTTP/1.1\r\nRange: bytes=1-\r\n\r\n");
    ASSERT_EQ(gatherer.next(&block), RequestGatherer::State::Complete);
    EXPECT_EQ(block, "GET /b.mp4 HTTP/1.1\r\n\r\n");
    EXPECT_EQ(gatherer.next(&block), RequestGatherer::State::NeedMore);
    EXPECT_EQ(gatherer.buffered(), 0u);
}

TEST(RequestGatherer, RefusesAHeaderBeyondTheLimit) {
    RequestGatherer gatherer;
    std::string block;
    gatherer.append("GET /a.mp4 HTTP/1.1\r\nX: " + std::string(kMaxRequestHeader - 30, 'x'));
    EXPECT_EQ(gatherer.next(&block), RequestGatherer::State::NeedMore);
    gatherer.append(std::string(40, 'y'));
    EXPECT_EQ(gatherer.next(&block), RequestGatherer::State::TooLarge);
}

TEST(RequestGatherer, AcceptsAHeaderOfExactlyTheLimit) {
    RequestGatherer gatherer;
    std::string block;
    std::string head = "GET /a.mp4 HTTP/1.1\r\nX: ";
    head += std::string(kMaxRequestHeader - head.size() - 4, 'x') + "\r\n\r\n";
    ASSERT_EQ(head.size(), kMaxRequestHeader);
    gatherer.append(head);
    EXPECT_EQ(gatherer.next(&block), RequestGatherer::State::Complete);
}

}  // namespace
}  // namespace tvr::http
