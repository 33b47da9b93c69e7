// SPDX-License-Identifier: MIT
#include "protocol/wire.h"

#include <gtest/gtest.h>

namespace tvr::protocol {
namespace {

RecordView view(FourCC type, const std::string& payload) {
    return {type, reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()};
}

TEST(Wire, FourCCsAreTheWireBytes) {
    std::string packet = makePacket("");
    EXPECT_EQ(packet, std::string("PACK\0\0\0\0", 8));
    std::string body;
    appendRecord(body, kList, "ab");
    EXPECT_EQ(body, std::string("RTFL\x02\0\0\0"
                                "ab",
                                10));
}

struct RecordCase {
    const char* name;
    std::string body;
    std::size_t offset;
    bool ok;
};

TEST(Wire, RecordBoundsAreChecked) {
    const RecordCase cases[] = {
        {"exact fit", std::string("STRG\x02\0\0\0\0\0", 10), 0, true},
        {"payload past the end", std::string("STRG\x04\0\0\0\0\0", 10), 0, false},
        {"header cut short", std::string("STRG\x02\0", 6), 0, false},
        {"huge length", std::string("STRG\xff\xff\xff\xff", 8), 0, false},
        {"offset at the end", std::string("STRG\0\0\0\0", 8), 8, false},
        {"offset past the end", std::string("STRG\0\0\0\0", 8), 9, false},
    };
    for (const auto& c : cases) {
        RecordView record;
        EXPECT_EQ(readRecord(reinterpret_cast<const std::uint8_t*>(c.body.data()), c.body.size(), c.offset, &record),
                  c.ok)
            << c.name;
    }
}

TEST(Wire, TextPayloadNeedsEvenLengthAndTerminator) {
    std::u16string text;
    EXPECT_TRUE(decodeTextPayload(view(kText, encodeTextPayload(u"#RET_OK()")), &text));
    EXPECT_EQ(text, u"#RET_OK()");
    EXPECT_TRUE(decodeTextPayload(view(kText, encodeTextPayload(u"接続")), &text));
    EXPECT_EQ(text, u"接続");
    EXPECT_FALSE(decodeTextPayload(view(kText, std::string("A\0B\0", 4)), &text));
    EXPECT_FALSE(decodeTextPayload(view(kText, std::string("A\0\0", 3)), &text));
    EXPECT_FALSE(decodeTextPayload(view(kText, ""), &text));
}

TEST(Wire, CommandPayloadRoundTripAndTruncation) {
    std::u16string args[4] = {u"1", u"", u"C:/v/a.mp4", u"x"};
    std::string payload = encodeCommandPayload(u"CM_SET_CHANNEL_TYPE", args);
    CommandRecord command;
    ASSERT_TRUE(decodeCommandPayload(view(kCommand, payload), &command));
    EXPECT_EQ(command.name, u"CM_SET_CHANNEL_TYPE");
    EXPECT_EQ(command.args[2], u"C:/v/a.mp4");
    EXPECT_EQ(command.argBytes[1], 2u);
    for (std::size_t cut = 0; cut < payload.size(); ++cut) {
        EXPECT_FALSE(decodeCommandPayload(view(kCommand, payload.substr(0, cut)), &command)) << cut;
    }
}

TEST(Wire, ResultPayloadRoundTrip) {
    ResultEntry entry{3, -2, u"<id>\"a\""};
    ResultEntry back;
    ASSERT_TRUE(decodeResultPayload(view(kResult, encodeResultPayload(entry)), &back));
    EXPECT_EQ(back.index, 3);
    EXPECT_EQ(back.value, -2);
    EXPECT_EQ(back.text, entry.text);
}

TEST(Wire, ListPayloadCarriesTheRememberedFolder) {
    std::string payload("\x02\0", 2);
    auto text = [](std::u16string_view t) { return encodeTextPayload(t); };
    auto u16 = [](std::uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; };
    payload += u16(1) + u16(6) + text(u"/v") + u16(8) + text(u"a.mp4").substr(0, 8);
    payload.resize(2);
    payload += u16(1) + u16(6) + text(u"/v") + u16(12) + text(u"a.mp4");
    payload += u16(2) + u16(0) + u16(12) + text(u"b.mp4");
    std::vector<ListEntry> entries;
    ASSERT_TRUE(decodeListPayload(view(kList, payload), &entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].folder, u"/v");
    EXPECT_EQ(entries[1].name, u"b.mp4");
    EXPECT_EQ(entries[1].value, 2);
    entries.clear();
    EXPECT_FALSE(decodeListPayload(view(kList, payload + "x"), &entries)) << "trailing bytes";
    entries.clear();
    EXPECT_FALSE(decodeListPayload(view(kList, payload.substr(0, payload.size() - 1)), &entries)) << "cut short";
}

}  // namespace
}  // namespace tvr::protocol
