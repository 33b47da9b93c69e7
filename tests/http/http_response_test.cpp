// SPDX-License-Identifier: MIT
#include "http/http_response.h"

#include <gtest/gtest.h>

namespace tvr::http {
namespace {

constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;
constexpr platform::FileTime fromUnix(std::int64_t seconds) { return kUnixEpochAsFileTime + seconds * 10000000; }

TEST(HttpDate, FormatsInGmt) {
    EXPECT_EQ(httpDate(fromUnix(784111777)), "Sun, 06 Nov 1994 08:49:37 GMT");
    EXPECT_EQ(httpDate(fromUnix(0)), "Thu, 01 Jan 1970 00:00:00 GMT");
    EXPECT_EQ(httpDate(fromUnix(951782400)), "Tue, 29 Feb 2000 00:00:00 GMT");
    EXPECT_EQ(httpDate(fromUnix(1704067199) + 9999999), "Sun, 31 Dec 2023 23:59:59 GMT");
}

TEST(HttpDate, IsEmptyForUnknownOrEarlyTimes) {
    EXPECT_EQ(httpDate(0), "");
    EXPECT_EQ(httpDate(kUnixEpochAsFileTime - 1), "");
}

TEST(ContentType, FollowsTheExtension) {
    EXPECT_EQ(contentTypeFor(u"C:/v/a.mp4"), "video/mp4");
    EXPECT_EQ(contentTypeFor(u"/v/a.M4V"), "video/mp4");
    EXPECT_EQ(contentTypeFor(u"a.mkv"), "video/x-matroska");
    EXPECT_EQ(contentTypeFor(u"a.webm"), "video/webm");
    EXPECT_EQ(contentTypeFor(u"a.MOV"), "video/quicktime");
    EXPECT_EQ(contentTypeFor(u"a.avi"), "video/x-msvideo");
    EXPECT_EQ(contentTypeFor(u"a.flv"), "video/x-flv");
    EXPECT_EQ(contentTypeFor(u"a.ts"), "application/octet-stream");
    EXPECT_EQ(contentTypeFor(u"v.mp4/a"), "application/octet-stream");
    EXPECT_EQ(contentTypeFor(u"noext"), "application/octet-stream");
}

TEST(EntityTag, ChangesWithSizeAndTimeOnly) {
    FileFacts file{5000, fromUnix(784111777)};
    EXPECT_EQ(entityTag(file), entityTag(FileFacts{5000, fromUnix(784111777)}));
    EXPECT_NE(entityTag(file), entityTag(FileFacts{5001, fromUnix(784111777)}));
    EXPECT_NE(entityTag(file), entityTag(FileFacts{5000, fromUnix(784111778)}));
    std::string tag = entityTag(file);
    EXPECT_EQ(tag.front(), '"');
    EXPECT_EQ(tag.back(), '"');
}

TEST(SuccessHeader, StartZeroIsOkWithTheWholeLength) {
    FileFacts file{5000, fromUnix(784111777)};
    EXPECT_EQ(successHeader(file, 0, u"a.mp4"),
              "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nAccept-Ranges: bytes\r\nContent-Type: video/mp4\r\n"
              "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\nETag: " +
                  entityTag(file) + "\r\n\r\n");
}

TEST(SuccessHeader, LaterStartIsPartialContent) {
    FileFacts file{5000, fromUnix(784111777)};
    EXPECT_EQ(successHeader(file, 1000, u"a.avi"),
              "HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\nContent-Range: bytes 1000-4999/5000\r\n"
              "Content-Length: 4000\r\nContent-Type: video/x-msvideo\r\n"
              "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT\r\nETag: " +
                  entityTag(file) + "\r\n\r\n");
}

TEST(SuccessHeader, LeavesOutAnUnknownTime) {
    std::string header = successHeader(FileFacts{10, 0}, 0, u"a.mp4");
    EXPECT_EQ(header.find("Last-Modified"), std::string::npos);
    EXPECT_NE(header.find("ETag: "), std::string::npos);
}

TEST(SuccessHeader, CarriesSizesBeyondFourGigabytes) {
    FileFacts file{6000000000LL, 0};
    EXPECT_EQ(successHeader(file, 5000000000LL, u"a.mkv")
                  .find("Content-Range: bytes 5000000000-5999999999/6000000000\r\nContent-Length: 1000000000\r\n"),
              std::string("HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\n").size());
}

TEST(ErrorHeaders, HaveEmptyBodies) {
    EXPECT_EQ(notFoundHeader(), "HTTP/1.1 404 File Not Find\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(rangeNotSatisfiableHeader(5000),
              "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */5000\r\nContent-Length: 0\r\n\r\n");
}

}  // namespace
}  // namespace tvr::http
