// SPDX-License-Identifier: MIT
// The walk over a packet's command records and the parsing of every argument the commands take:
// integers scan as the C library's strtoll does (clamped), texts are kept only when a line-based
// file can hold them, and a refused channel change or list entry leaves everything as it was.
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/settings.h"
#include "core/text.h"
#include "fuzz_support.h"
#include "library/channels.h"
#include "library/list_file.h"
#include "platform/utf.h"
#include "protocol/wire.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

// The same scan done by the C library on the ASCII part: blanks, a sign, digits.
void checkIntegerScan(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] < 0x80 && std::u16string_view(u" \t\n\r\v\f").find(text[i]) != text.npos) ++i;
    std::string ascii;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ascii.push_back(static_cast<char>(text[i++]));
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++digits)
        ascii.push_back(static_cast<char>(text[i]));

    std::size_t end64 = 1;
    std::size_t end32 = 1;
    const std::int64_t value64 = core::scanInt64(text, &end64);
    const std::int32_t value32 = core::scanInt32(text, &end32);
    std::int64_t decimal = 0;
    check(core::scanDecimal(text, &decimal) == (digits > 0));
    if (digits == 0) {
        check(value64 == 0 && value32 == 0 && end64 == 0 && end32 == 0);
        return;
    }
    errno = 0;
    const long long expected = std::strtoll(ascii.c_str(), nullptr, 10);
    check(value64 == expected && decimal == expected && end64 == i && end32 == i);
    const long long low = std::numeric_limits<std::int32_t>::min();
    const long long high = std::numeric_limits<std::int32_t>::max();
    check(value32 == (expected < low ? low : expected > high ? high : expected));
}

// A text a line-based file can hold has no line end or NUL and survives the trip through UTF-8.
void checkStorable(const std::u16string& text) {
    const bool oneLine = text.find_first_of(std::u16string_view(u"\r\n\0", 3)) == text.npos;
    const bool roundTrips = platform::fromUtf8(platform::toUtf8(text)) == text;
    check(core::isStorableLine(text) == (oneLine && roundTrips));
}

void runCommand(const protocol::CommandRecord& command) {
    for (const std::u16string& arg : command.args) {
        checkIntegerScan(arg);
        checkStorable(arg);
    }
    // CM_SET_CHANNEL_TYPE: channel, type, path.
    core::Config config = core::defaultConfig();
    const core::Config before = config;
    const std::int32_t channel = core::scanInt32(command.args[0]);
    const std::int32_t type = core::scanInt32(command.args[1]);
    const int result = library::setChannelType(config, channel, type, command.args[2]);
    if (result == 0) {
        check(config == before);
    } else {
        check(channel >= 0 && channel < core::kChannelCount && core::isStorableLine(command.args[2]));
        check(core::isStorableLine(config.channels[static_cast<std::size_t>(channel)].path));
    }
    // A list entry from the saving of a channel.
    library::ListFile list;
    check(list.add(command.args[3]) == (core::isStorableLine(command.args[3]) ? 1 : 0));
    check(list.entries().size() == static_cast<std::size_t>(core::isStorableLine(command.args[3]) ? 1 : 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tvr::protocol;
    const std::uint8_t* body = data;
    std::size_t bodySize = size;
    if (size >= kHeaderSize && readU32(data) == kPack && readU32(data + 4) <= size - kHeaderSize) {
        body = data + kHeaderSize;
        bodySize = readU32(data + 4);
    }
    std::size_t offset = 0;
    RecordView record;
    while (readRecord(body, bodySize, offset, &record)) {
        CommandRecord command;
        // Every record is decoded as a command whatever its type, so the fuzzer need not find "MSGE" first.
        if (decodeCommandPayload(record, &command)) runCommand(command);
        offset += kHeaderSize + record.size;
    }
    return 0;
}
