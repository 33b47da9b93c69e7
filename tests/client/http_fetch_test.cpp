// SPDX-License-Identifier: MIT
// The video fetch: how paths are encoded, how the request looks, how response heads are read,
// and whole fetches against a loopback peer that answers like the video server.
#include "client/http_fetch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "client/one_peer.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "support/folder_link.h"
#include "support/special_files.h"
#include "support/temp_folder.h"

namespace tvr::client {
namespace {

using test::OnePeer;

TEST(PercentEncodePath, KeepsUnreservedAndSlashEncodesTheRest) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"/videos/a.mp4", "/videos/a.mp4"},
        {u"AZaz09-._~/", "AZaz09-._~/"},
        {u"a b", "a%20b"},
        {u"C:/v/x.mp4", "C%3A/v/x.mp4"},
        {u"%?#&+=\"\\", "%25%3F%23%26%2B%3D%22%5C"},
        {u"動", "%E5%8B%95"},
        {u"é", "%C3%A9"},
        {u"\U0001F600", "%F0%9F%98%80"},
        {u"", ""},
    };
    for (const auto& [path, encoded] : cases) EXPECT_EQ(percentEncodePath(path), encoded);
}

TEST(BuildGetRequest, StreamHostAndRangeOnlyAboveZero) {
    FetchRequest request{"127.0.0.1", 11921, u"/v/a b.mp4", 1, 1000, 1000};
    EXPECT_EQ(buildGetRequest(request),
              "GET //v/a%20b.mp4?stream=1 HTTP/1.1\r\nHost: 127.0.0.1:11921\r\nRange: bytes=1000-\r\n\r\n");
    request.from = 0;
    request.stream = 0;
    EXPECT_EQ(buildGetRequest(request), "GET //v/a%20b.mp4?stream=0 HTTP/1.1\r\nHost: 127.0.0.1:11921\r\n\r\n");
}

TEST(ParseResponseHead, ReadsStatusLengthAndRangeStart) {
    std::string bytes =
        "HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\ncontent-range: bytes 1000-4999/5000\r\n"
        "Content-Length:  4000 \r\n\r\nBODY";
    ResponseHead head;
    std::size_t headBytes = 0;
    ASSERT_EQ(parseResponseHead(bytes, &head, &headBytes), HeadParse::Complete);
    EXPECT_EQ(head.status, 206);
    EXPECT_EQ(head.statusLine, "HTTP/1.1 206 Partial Content");
    EXPECT_TRUE(head.hasLength);
    EXPECT_EQ(head.contentLength, 4000);
    EXPECT_TRUE(head.hasRange);
    EXPECT_EQ(head.rangeStart, 1000);
    EXPECT_EQ(bytes.substr(headBytes), "BODY");

    ASSERT_EQ(parseResponseHead("HTTP/1.1 404 File Not Find\r\n\r\n", &head, &headBytes), HeadParse::Complete);
    EXPECT_EQ(head.status, 404);
    EXPECT_FALSE(head.hasLength);
    EXPECT_EQ(headBytes, 30u);
    ASSERT_EQ(parseResponseHead("HTTP/1.1 416 No\r\nContent-Range: bytes */5000\r\nContent-Length: 0\r\n\r\n", &head,
                                &headBytes),
              HeadParse::Complete);
    EXPECT_FALSE(head.hasRange);
}

TEST(ParseResponseHead, WaitsForTheBlankLineAndRefusesGarbage) {
    ResponseHead head;
    std::size_t headBytes = 0;
    EXPECT_EQ(parseResponseHead("", &head, &headBytes), HeadParse::NeedMore);
    EXPECT_EQ(parseResponseHead("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", &head, &headBytes), HeadParse::NeedMore);
    const char* malformed[] = {
        "ICY 200 OK\r\n\r\n",
        "HTTP/1.1 2x0 OK\r\n\r\n",
        "HTTP/1.1 2000 OK\r\n\r\n",
        "HTTP/1.1\r\n\r\n",
        "HTTP/1.1 200 OK\r\nno colon here\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
        "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n",
        "HTTP/1.1 206 OK\r\nContent-Range: items 1-2/3\r\n\r\n",
    };
    for (const char* text : malformed)
        EXPECT_EQ(parseResponseHead(text, &head, &headBytes), HeadParse::Malformed) << text;
    std::string endless = "HTTP/1.1 200 OK\r\n" + std::string(kMaxResponseHead, 'x');
    EXPECT_EQ(parseResponseHead(endless, &head, &headBytes), HeadParse::Malformed);
}

struct Fetched {
    FetchResult result;
    std::string body;
    int heads = 0;
};

Fetched fetch(std::uint16_t port, std::int64_t from = 0) {
    Fetched out;
    FetchRequest request{"127.0.0.1", port, u"/v/動画.mp4", 1, from, 5000};
    out.result = httpFetch(
        request, [&](const ResponseHead&) { return ++out.heads == 1; },
        [&](std::string_view bytes) {
            out.body.append(bytes);
            return true;
        });
    return out;
}

std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

TEST(HttpFetch, ReadsExactlyContentLengthFromAConnectionKeptOpen) {
    std::string body = pattern(300000);
    OnePeer peer("HTTP/1.1 200 OK\r\nContent-Length: 300000\r\nAccept-Ranges: bytes\r\n\r\n" + body, true);
    Fetched fetched = fetch(peer.port());
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::Ok) << fetched.result.error;
    EXPECT_EQ(fetched.result.bytes, 300000);
    EXPECT_EQ(fetched.heads, 1);
    EXPECT_TRUE(fetched.body == body);
    EXPECT_EQ(peer.finish(), "GET //v/%E5%8B%95%E7%94%BB.mp4?stream=1 HTTP/1.1\r\nHost: 127.0.0.1:" +
                                 std::to_string(peer.port()) + "\r\n\r\n");
}

TEST(HttpFetch, PartialContentFromTheAskedStart) {
    OnePeer peer("HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 1000-4999/5000\r\nContent-Length: 4000\r\n\r\n" +
                     pattern(4000),
                 true);
    Fetched fetched = fetch(peer.port(), 1000);
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::Ok) << fetched.result.error;
    EXPECT_TRUE(fetched.body == pattern(4000));
    EXPECT_NE(peer.finish().find("\r\nRange: bytes=1000-\r\n"), std::string::npos);
}

TEST(HttpFetch, EmptyFileGivesHeadAndNoBytes) {
    OnePeer peer("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", true);
    Fetched fetched = fetch(peer.port());
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::Ok) << fetched.result.error;
    EXPECT_EQ(fetched.heads, 1);
    EXPECT_EQ(fetched.result.bytes, 0);
}

TEST(HttpFetch, NotFoundAndRangeErrorsAreRefusals) {
    for (const char* answer : {"HTTP/1.1 404 File Not Find\r\n\r\n",
                               "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */10\r\n\r\n"}) {
        OnePeer peer(answer, true);
        Fetched fetched = fetch(peer.port(), 20);
        EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::Refused);
        EXPECT_NE(fetched.result.error.find(std::string(answer).substr(0, 12)), std::string::npos)
            << fetched.result.error;
        EXPECT_EQ(fetched.heads, 0);
    }
}

TEST(HttpFetch, BodyFromTheWrongStartIsNotWritten) {
    // A server that ignores the Range would hand over the file from byte 0.
    OnePeer whole("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", true);
    Fetched fetched = fetch(whole.port(), 4);
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::IoError);
    EXPECT_NE(fetched.result.error.find("from byte 0 instead of 4"), std::string::npos) << fetched.result.error;
    EXPECT_EQ(fetched.heads, 0);
    EXPECT_TRUE(fetched.body.empty());
}

TEST(HttpFetch, ShortBodyOrMissingLengthIsAnError) {
    OnePeer shortBody("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234", false);
    Fetched fetched = fetch(shortBody.port());
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::IoError);
    EXPECT_NE(fetched.result.error.find("after 5 of 10 bytes"), std::string::npos) << fetched.result.error;

    OnePeer noLength("HTTP/1.1 200 OK\r\n\r\n0123", false);
    fetched = fetch(noLength.port());
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::IoError);
    EXPECT_NE(fetched.result.error.find("no Content-Length"), std::string::npos) << fetched.result.error;

    OnePeer garbage("SSH-2.0-OpenSSH\r\n\r\n", false);
    fetched = fetch(garbage.port());
    EXPECT_NE(fetched.result.error.find("malformed"), std::string::npos) << fetched.result.error;
}

TEST(HttpFetch, RefusedConnectionIsAnError) {
    std::uint16_t port = 0;
    {
        platform::SocketHandle listener = platform::tcpListen({0x7F000001, 0}, 1);
        port = platform::localEndpoint(listener).port;
        platform::closeSocket(listener);
    }
    Fetched fetched = fetch(port);
    EXPECT_EQ(fetched.result.outcome, FetchResult::Outcome::IoError);
    EXPECT_NE(fetched.result.error.find("cannot connect to the video server at 127.0.0.1:"), std::string::npos);
}

std::size_t entriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

// Where a fetched body goes, for each kind of thing the output names: as curl and wget write,
// nothing is cut or replaced before the whole body has arrived, and no temporary file is left.
TEST(FetchToOutput, EachKindOfOutputGetsTheWholeBodyOrKeepsWhatItHad) {
    const std::string body = pattern(200000);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 200000\r\n\r\n";
    using Outcome = FetchResult::Outcome;
    struct Kind {
        const char* name;
        // Makes what the output names; false when this OS cannot, which skips the row.
        std::function<bool(const test::TempFolder&)> make;
        std::string output;  // below the folder, or "-"
        bool wholeBody;      // false: the server stops half way
        Outcome outcome;
        std::string error;  // the start of the error ("" for none); the output's path follows
        std::size_t entries;
        std::function<void(const test::TempFolder&, const std::string& printed)> check;
    };
    std::thread fifoReader;
    std::ofstream fifoWriter;
    std::string fifoBytes;
    const Kind kinds[] = {
        {"new file, mode from the umask", [](const test::TempFolder&) { return true; }, "new.mp4", true, Outcome::Ok,
         "", 1,
         [&](const test::TempFolder& folder, const std::string&) {
             EXPECT_TRUE(folder.read("new.mp4") == body);
             const int mode = test::permissionBits(folder.file("new.mp4"));
             if (mode != -1) {
                 EXPECT_EQ(mode, 0640);
             }
         }},
        {"file replaced, keeping its mode",
         [](const test::TempFolder& folder) {
             folder.write("old.mp4", "old");
             std::filesystem::permissions(folder.file("old.mp4"), std::filesystem::perms(0604));
             return true;
         },
         "old.mp4", true, Outcome::Ok, "", 1,
         [&](const test::TempFolder& folder, const std::string&) {
             EXPECT_TRUE(folder.read("old.mp4") == body);
             const int mode = test::permissionBits(folder.file("old.mp4"));
             if (mode != -1) {
                 EXPECT_EQ(mode, 0604);
             }
         }},
        {"file kept when the fetch fails",
         [](const test::TempFolder& folder) {
             folder.write("old.mp4", "old");
             return true;
         },
         "old.mp4", false, Outcome::IoError, "the video server closed the connection after 100000 of 200000 bytes", 1,
         [](const test::TempFolder& folder, const std::string&) { EXPECT_EQ(folder.read("old.mp4"), "old"); }},
        {"link followed to its file",
         [](const test::TempFolder& folder) {
             folder.write("real.mp4", "old");
             return test::makeFileLink(folder.file("real.mp4"), folder.file("link.mp4"));
         },
         "link.mp4", true, Outcome::Ok, "", 2,
         [&](const test::TempFolder& folder, const std::string&) {
             EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.mp4")));
             EXPECT_TRUE(folder.read("real.mp4") == body);
         }},
        {"folder refused",
         [](const test::TempFolder& folder) {
             folder.makeFolder("videos");
             return true;
         },
         "videos", true, Outcome::IoError, "the output is a folder: ", 1,
         [](const test::TempFolder& folder, const std::string&) {
             EXPECT_TRUE(std::filesystem::is_directory(folder.file("videos")));
             EXPECT_EQ(entriesIn(folder.file("videos")), 0u);
         }},
        {"named pipe written through",
         [&](const test::TempFolder& folder) {
             if (!test::makeFifo(folder.file("pipe"))) return false;
             fifoReader = std::thread([&fifoBytes, path = folder.file("pipe")] {
                 std::ifstream in(path, std::ios::binary);
                 fifoBytes.assign(std::istreambuf_iterator<char>(in), {});
             });
             // A writer of our own keeps the reader until the check, whatever the fetch did.
             fifoWriter.open(folder.file("pipe"), std::ios::binary);
             return true;
         },
         "pipe", true, Outcome::Ok, "", 1,
         [&](const test::TempFolder&, const std::string&) {
             fifoWriter.close();
             fifoReader.join();
             EXPECT_TRUE(fifoBytes == body);
         }},
        {"character device written through",
         [](const test::TempFolder& folder) { return test::makeNullDevice(folder.file("null")); }, "null", true,
         Outcome::Ok, "", 1,
         [](const test::TempFolder& folder, const std::string&) {
             EXPECT_TRUE(test::isCharacterDevice(folder.file("null")));
         }},
        {"standard output", [](const test::TempFolder&) { return true; }, "-", true, Outcome::Ok, "", 0,
         [&](const test::TempFolder&, const std::string& printed) { EXPECT_TRUE(printed == body); }},
    };
    const int oldMask = test::setCreationMask(027);
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        test::TempFolder folder;
        if (!kind.make(folder)) {
            std::cout << "skipped, this system cannot make it: " << kind.name << '\n';
            continue;
        }
        OnePeer peer(head + (kind.wholeBody ? body : body.substr(0, 100000)), kind.wholeBody);
        const std::string output = kind.output == "-" ? kind.output : folder.file(kind.output);
        FetchRequest request{"127.0.0.1", peer.port(), u"/v/a.mp4", 0, 0, 5000};
        std::ostringstream printed;
        FetchResult result = fetchToOutput(request, platform::fromUtf8(output), printed);
        EXPECT_EQ(result.outcome, kind.outcome) << result.error;
        if (kind.error.empty()) {
            EXPECT_EQ(result.error, "");
        } else {
            EXPECT_EQ(result.error.rfind(kind.error, 0), 0u) << result.error;
        }
        if (kind.error.ends_with(": ")) {
            EXPECT_EQ(result.error, kind.error + output);
        }
        if (kind.output != "-") {
            EXPECT_EQ(printed.str(), "");
        }
        kind.check(folder, printed.str());
        EXPECT_EQ(entriesIn(folder.path()), kind.entries);
    }
    if (oldMask != -1) test::setCreationMask(oldMask);
}

}  // namespace
}  // namespace tvr::client
