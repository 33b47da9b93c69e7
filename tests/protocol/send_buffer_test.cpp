// SPDX-License-Identifier: MIT
#include "protocol/send_buffer.h"

#include <gtest/gtest.h>

namespace tvr::protocol {
namespace {

// Collects every packet the buffer sends, split into records.
struct Sent {
    std::vector<std::vector<RecordView>> packets;
    std::vector<std::string> storage;

    SendBuffer::Transmit transmit() {
        return [this](const std::uint8_t* data, std::size_t size) {
            EXPECT_EQ(readU32(data), kPack);
            EXPECT_EQ(readU32(data + 4), size - kHeaderSize);
            storage.emplace_back(reinterpret_cast<const char*>(data), size);
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

TEST(SendBuffer, RecordsLeaveTogetherAtFlush) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    EXPECT_TRUE(buffer.flush()) << "nothing to send is a success";
    EXPECT_TRUE(sent.storage.empty());
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_ROOT(<path>\"/v\")"));
    buffer.appendRecord(kText, encodeTextPayload(u"#RET_OK()"));
    buffer.flush();
    ASSERT_EQ(sent.storage.size(), 1u);
    EXPECT_EQ(sent.records(0).size(), 2u);
}

TEST(SendBuffer, FullBufferIsFlushedBeforeTheNextRecord) {
    Sent sent;
    SendBuffer buffer(sent.transmit());
    std::string big(40000, 'x');
    buffer.appendRecord(kResult, big);
    buffer.appendRecord(kResult, big);
    buffer.flush();
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
    buffer.flush();
    ASSERT_EQ(sent.storage.size(), 2u);
    EXPECT_EQ(sent.records(0)[0].type, kList);
    EXPECT_EQ(sent.records(1)[0].type, kText);
}

}  // namespace
}  // namespace tvr::protocol
