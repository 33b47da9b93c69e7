// SPDX-License-Identifier: MIT
#include "protocol/packet_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tvr::protocol {
namespace {

std::string record(const char (&type)[5], const std::string& payload) {
    std::string body;
    appendRecord(body, makeFourCC(type), payload);
    return body;
}

std::string textRecord(std::u16string_view text) { return record("STRG", encodeTextPayload(text)); }

// What a stream of bytes yields: per whole packet, the record types, and whether its walk ended
// on a record that does not fit; then the state the reader is left in.
struct Outcome {
    std::vector<std::vector<FourCC>> packets;
    std::vector<bool> malformed;
    FrameState last = FrameState::NeedMore;
    bool operator==(const Outcome&) const = default;
};

Outcome readAll(const std::string& bytes, std::size_t step) {
    Outcome out;
    PacketReader reader(256);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    std::size_t fed = 0;
    while (true) {
        FrameState state = reader.state();
        if (state == FrameState::Ready) {
            RecordCursor cursor(reader.body(), reader.announcedLength());
            RecordView view;
            std::vector<FourCC> types;
            while (cursor.next(&view)) types.push_back(view.type);
            out.packets.push_back(types);
            out.malformed.push_back(cursor.malformed());
            reader.pop();
            continue;
        }
        if (state != FrameState::NeedMore || fed == bytes.size()) {
            out.last = state;
            return out;
        }
        fed += reader.feed(data + fed, std::min(step, bytes.size() - fed));
    }
}

struct FrameCase {
    const char* name;
    std::string bytes;
    Outcome expected;
};

TEST(PacketReader, FramesComeOutTheSameWholeOrByteByByte) {
    const FourCC text = kText;
    const FourCC command = kCommand;
    const std::string two = textRecord(u"#CMD_SETUP") + record("MSGE", "abcd");
    const FrameCase cases[] = {
        {"one packet, two records", makePacket(two), {{{text, command}}, {false}, FrameState::NeedMore}},
        {"empty body", makePacket(""), {{{}}, {false}, FrameState::NeedMore}},
        {"two packets in one read",
         makePacket(textRecord(u"a")) + makePacket(textRecord(u"b")),
         {{{text}, {text}}, {false, false}, FrameState::NeedMore}},
        {"header only so far", std::string("PACK\x10\0\0\0", 8), {{}, {}, FrameState::NeedMore}},
        {"record payload past the body",
         makePacket(std::string("STRG\x09\0\0\0\0\0", 10)),
         {{{}}, {true}, FrameState::NeedMore}},
        {"record header cut by the body",
         makePacket(textRecord(u"a") + "STR"),
         {{{text}}, {true}, FrameState::NeedMore}},
        {"not PACK", std::string("PACX\0\0\0\0", 8), {{}, {}, FrameState::BadFourCC}},
        {"body larger than the buffer", std::string("PACK\xF9\0\0\0", 8), {{}, {}, FrameState::TooLarge}},
        {"good packet, then garbage", makePacket("") + "JUNKJUNK", {{{}}, {false}, FrameState::BadFourCC}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readAll(c.bytes, c.bytes.size() + 1), c.expected) << c.name << " (whole)";
        EXPECT_EQ(readAll(c.bytes, 1), c.expected) << c.name << " (byte by byte)";
    }
}

TEST(PacketReader, LargestPacketFitsAndTheBytesBehindItMoveUp) {
    PacketReader reader(64);
    std::string body = record("STRG", std::string(48, 'x'));  // 8 + 56 = 64: exactly the buffer
    std::string bytes = makePacket(body);
    ASSERT_EQ(bytes.size(), 64u);
    EXPECT_EQ(reader.feed(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 64u);
    EXPECT_EQ(reader.state(), FrameState::Ready);
    EXPECT_EQ(reader.room(), 0u);  // nothing more is read while a whole packet waits
    reader.pop();
    EXPECT_EQ(reader.state(), FrameState::NeedMore);
    EXPECT_EQ(reader.room(), 64u);
}

}  // namespace
}  // namespace tvr::protocol
