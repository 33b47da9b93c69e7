// SPDX-License-Identifier: MIT
// The control server's walk over one packet body: every record is read and handed to each
// payload decoder, and the texts go through the tagged-message readers the handlers use.
// Whatever decodes must encode again to a payload that decodes to the same values.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
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
    // A whole packet is unwrapped as the server does; anything else is taken as a bare body.
    const std::uint8_t* body = data;
    std::size_t bodySize = size;
    if (size >= kHeaderSize && readU32(data) == kPack && readU32(data + 4) <= size - kHeaderSize) {
        body = data + kHeaderSize;
        bodySize = readU32(data + 4);
    }
    std::size_t offset = 0;
    RecordView record;
    while (readRecord(body, bodySize, offset, &record)) {
        std::size_t start = static_cast<std::size_t>(record.payload - body);
        check(start == offset + kHeaderSize && start + record.size <= bodySize);
        decodeEveryWay(record);
        offset += kHeaderSize + record.size;
    }
    return 0;
}
