// SPDX-License-Identifier: MIT
// The control server's framing and walk: bytes go through the packet reader in small pieces,
// every record of each whole packet is handed to each payload decoder, and the texts go through
// the tagged-message readers the handlers use. Whatever decodes must encode again to a payload
// that decodes to the same values.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "protocol/packet_reader.h"
#include "protocol/tagged_message.h"
#include "protocol/wire.h"

namespace {

using namespace tvr::protocol;

RecordView viewOf(FourCC type, const std::string& payload) {
    return {type, reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()};
}

void check(bool condition) {
    if (!condition) std::abort();
}

void readLikeHandlers(const std::u16string& text) {
    (void)messageIs(text, u"#CMD_SETUP");
    (void)intAfterKey(text, u"<protocol_ver>");
    (void)quotedAfterKey(text, u"<copyright>");
    (void)quotedAfterKey(text, u"<pass>");
    (void)intAfterKey(text, u"<ch>");
    (void)intAfterKey(text, u"<sort_name>");
    (void)int64AfterKey(text, u"<size>");
    (void)quotedAfterKey(text, u"<path>");
    std::size_t dat = text.find(u"#DAT");
    if (dat != std::u16string::npos) (void)intAfterKey(std::u16string_view(text).substr(dat + 4), u"<no>");
}

void decodeEveryWay(const RecordView& record) {
    std::u16string text;
    if (decodeTextPayload(record, &text)) {
        check(text.size() * 2 + 2 <= record.size);
        std::u16string again;
        check(decodeTextPayload(viewOf(kText, encodeTextPayload(text)), &again) && again == text);
        readLikeHandlers(text);
    }

    std::vector<ListEntry> entries;
    // Each entry takes at least its two lengths, its value and a terminated name: 8 bytes.
    if (decodeListPayload(record, &entries)) check(2 + entries.size() * 8 <= record.size);

    ResultEntry result;
    if (decodeResultPayload(record, &result)) {
        ResultEntry again;
        check(decodeResultPayload(viewOf(kResult, encodeResultPayload(result)), &again));
        check(again.index == result.index && again.value == result.value && again.text == result.text);
    }

    CommandRecord command;
    if (decodeCommandPayload(record, &command)) {
        for (std::uint32_t bytes : command.argBytes) check(bytes <= record.size);
        CommandRecord again;
        check(decodeCommandPayload(viewOf(kCommand, encodeCommandPayload(command.name, command.args)), &again));
        check(again.name == command.name);
        for (int i = 0; i < 4; ++i) check(again.args[i] == command.args[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The bytes arrive as the server reads them: through the packet reader, a few at a time.
    PacketReader reader;
    std::size_t fed = 0;
    std::size_t step = size > 0 ? 1 + data[0] % 64 : 1;
    while (fed < size) {
        fed += reader.feed(data + fed, std::min(step, size - fed));
        FrameState state = reader.state();
        if (state == FrameState::BadFourCC || state == FrameState::TooLarge) break;
        if (state != FrameState::Ready) continue;
        std::size_t bodySize = reader.announcedLength();
        check(kHeaderSize + bodySize <= kBufferSize);
        RecordCursor cursor(reader.body(), bodySize);
        RecordView record;
        std::size_t walked = 0;
        while (cursor.next(&record)) {
            check(record.payload == reader.body() + walked + kHeaderSize &&
                  walked + kHeaderSize + record.size <= bodySize);
            decodeEveryWay(record);
            walked += kHeaderSize + record.size;
        }
        check(cursor.malformed() || walked == bodySize);
        reader.pop();
    }
    return 0;
}
