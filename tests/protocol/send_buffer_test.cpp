// SPDX-License-Identifier: MIT
#include "protocol/send_buffer.h"

#include <gtest/gtest.h>

namespace tvr::protocol {
namespace {

// Collects every packet the buffer sends, and how many writes carried them.
struct Sent {
    std::vector<std::string> storage;  // one packet each
    std::size_t writes = 0;

    SendBuffer::Transmit transmit() {
        return [this](const std::uint8_t* data, std::size_t size) {
            ++writes;
            while (size > 0) {
                EXPECT_GE(size, kHeaderSize);
                EXPECT_EQ(readU32(data), kPack);
                const std::size_t packet = kHeaderSize + readU32(data + 4);
                EXPECT_LE(packet, size) << "a write holds whole packets";
                if (packet > size) return false;
                storage.emplace_back(reinterpret_cast<const char*>(data), packet);
                data += packet;
                size -= packet;
            }
            return true;
        };
    }
    std::vector<RecordView> records(std::size_t packet) const {
        const std::string& bytes = storage[packet];
        const auto* body = reinterpret_cast<const std::uint8_t*>(bytes.data()) + kHeaderSize;
        std::size_t size = bytes.size() - kHeaderSize;
        std::vector<RecordView> out;
        RecordView record;
        for (std::size_t offset = 0; offset < size && readRecord(body, size, offset, &record);
             offset += kHeaderSize + record.size)
            out.push_back(record);
        return out;
    }
};

TEST(SendBuffer, RecordsLeaveTogetherInTheirPacket) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    buffer.endPacket();
    EXPECT_TRUE(buffer.send()) << "nothing to send is a success";
    EXPECT_EQ(sent.writes, 0u);
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_ROOT(<path>\"/v\")"));
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_OK()"));
    buffer.send();
    EXPECT_EQ(sent.writes, 0u) << "the open packet waits for its end";
    buffer.endPacket();
    buffer.send();
    ASSERT_EQ(sent.storage.size(), 1u);
    EXPECT_EQ(sent.records(0).size(), 2u);
}

TEST(SendBuffer, ThePacketsOfOneRequestLeaveInOneWrite) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    for (int i = 0; i < 13; ++i) {
        buffer.appendRecord(kResult, encodeResultPayload({0, i, u"entry"}));
        buffer.appendRecord(kText, encodeTextPayload(u"#RET_OK()"));
        buffer.endPacket();
    }
    // A listing: its folders, a list record in a packet of its own, then its end.
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_ROOT(<path>\"/v\")"));
    buffer.beginList();
    buffer.addListEntry(0, u"/v", u"a.mp4");
    buffer.endList();
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_OK()"));
    buffer.endPacket();
    ASSERT_TRUE(buffer.send());
    EXPECT_EQ(sent.writes, 1u);
    ASSERT_EQ(sent.storage.size(), 16u);
    for (std::size_t p = 0; p < 13; ++p) EXPECT_EQ(sent.records(p).size(), 2u);
    EXPECT_EQ(sent.records(14)[0].type, kList);
}

TEST(SendBuffer, APacketAfterOthersHoldsAsMuchAsOneAtTheStart) {
    // The same answer alone and behind a short one must be cut into the same packets.
    auto answer = [](SendBuffer& buffer) {
        buffer.appendRecord(kResult, std::string(30000, 'x'));
        buffer.appendRecord(kResult, std::string(30000, 'y'));
        buffer.appendRecord(kResult, std::string(30000, 'z'));
        buffer.beginList();
        for (int i = 0; i < 1000; ++i) buffer.addListEntry(0, u"/videos", std::u16string(100, u'n'));
        buffer.endList();
        buffer.endPacket();
        buffer.send();
    };
    Sent alone;
    SendBuffer first(alone.transmit());
    answer(first);
    Sent behind;
    SendBuffer second(behind.transmit());
    second.appendRecord(kText, encodeTextPayload(u"#RET_OK()"));
    second.endPacket();
    answer(second);
    ASSERT_EQ(behind.storage.size(), alone.storage.size() + 1);
    for (std::size_t p = 0; p < alone.storage.size(); ++p) EXPECT_EQ(behind.storage[p + 1], alone.storage[p]) << p;
}

TEST(SendBuffer, FullBufferIsFlushedBeforeTheNextRecord) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    std::string big(40000, 'x');
    buffer.appendRecord(kResult, big);
    buffer.appendRecord(kResult, big);
    buffer.endPacket();
    buffer.send();
    ASSERT_EQ(sent.storage.size(), 2u);
    EXPECT_FALSE(buffer.appendRecord(kResult, std::string(kBufferSize, 'x'))) << "can never fit";
}

TEST(SendBuffer, ListRecordsSplitWhenFullAndRepeatTheFolder) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_DIR(<indent>0,<path>\"/videos\")"));
    buffer.beginList();
    std::u16string name(200, u'n');
    for (int i = 0; i < 1000; ++i) buffer.addListEntry(static_cast<std::uint16_t>(i % 3), u"/videos", name);
    buffer.endList();
    buffer.endList();  // an empty record is never sent
    buffer.send();
    ASSERT_GE(sent.storage.size(), 4u);
    EXPECT_EQ(sent.records(0)[0].type, kText) << "begin sends the pending texts first";
    std::size_t total = 0;
    for (std::size_t p = 1; p < sent.storage.size(); ++p) {
        auto records = sent.records(p);
        ASSERT_EQ(records.size(), 1u);
        std::vector<ListEntry> entries;
        ASSERT_TRUE(decodeListPayload(records[0], &entries));
        EXPECT_EQ(readU16(records[0].payload + 4), 2 * 8) << "the first entry of every record carries its folder";
        for (const auto& entry : entries) EXPECT_EQ(entry.folder, u"/videos");
        total += entries.size();
    }
    EXPECT_EQ(total, 1000u);
}

TEST(SendBuffer, TextAppendedIntoAnOpenListClosesItFirst) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    buffer.beginList();
    buffer.addListEntry(0, u"/a", u"x.mp4");
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_END(<no>1)"));
    buffer.endPacket();
    buffer.send();
    ASSERT_EQ(sent.storage.size(), 2u);
    EXPECT_EQ(sent.records(0)[0].type, kList);
    EXPECT_EQ(sent.records(1)[0].type, kText);
}

}  // namespace
}  // namespace tvr::protocol
