// SPDX-License-Identifier: MIT
#pragma once
// The control protocol's wire units: a packet "PACK" + body length + records, each record a
// FourCC + payload length + payload. All integers little-endian, all texts UTF-16LE.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::protocol {

using FourCC = std::uint32_t;

/// The four bytes as they appear on the wire, read as a little-endian word.
constexpr FourCC makeFourCC(const char (&text)[5]) {
    return static_cast<FourCC>(static_cast<unsigned char>(text[0])) |
           static_cast<FourCC>(static_cast<unsigned char>(text[1])) << 8 |
           static_cast<FourCC>(static_cast<unsigned char>(text[2])) << 16 |
           static_cast<FourCC>(static_cast<unsigned char>(text[3])) << 24;
}

inline constexpr FourCC kPack = makeFourCC("PACK");
inline constexpr FourCC kText = makeFourCC("STRG");
inline constexpr FourCC kCommand = makeFourCC("MSGE");
inline constexpr FourCC kResult = makeFourCC("RTMS");
inline constexpr FourCC kList = makeFourCC("RTFL");

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kBufferSize = 65568;  // 64 KiB + 32, both directions

std::uint32_t readU32(const std::uint8_t* bytes);
std::uint16_t readU16(const std::uint8_t* bytes);
void writeU32(std::uint8_t* bytes, std::uint32_t value);
void writeU16(std::uint8_t* bytes, std::uint16_t value);

/// One record inside a packet body; payload points into the received bytes.
struct RecordView {
    FourCC type = 0;
    const std::uint8_t* payload = nullptr;
    std::size_t size = 0;
};

/// Reads the record at offset of body; false when its header or payload would pass the end.
bool readRecord(const std::uint8_t* body, std::size_t bodySize, std::size_t offset, RecordView* record);
/// Decodes a text record's payload: even length, ends in a zero character; false otherwise.
bool decodeTextPayload(const RecordView& record, std::u16string* text);
/// UTF-16LE bytes of the text followed by a zero character.
std::string encodeTextPayload(std::u16string_view text);
/// Appends one record (header and payload) to bytes.
void appendRecord(std::string& bytes, FourCC type, std::string_view payload);
/// Wraps a body of records into a packet.
std::string makePacket(std::string_view body);

/// One file of a list record as the headset decodes it.
struct ListEntry {
    std::uint16_t value = 0;
    std::u16string folder;
    std::u16string name;
};
/// Decodes a list record's entries, carrying the remembered folder; false when malformed.
bool decodeListPayload(const RecordView& record, std::vector<ListEntry>* entries);

/// One reply entry of an extended command.
struct ResultEntry {
    std::int32_t index = 0;
    std::int32_t value = 0;
    std::u16string text;
};
/// Encodes a result record payload.
std::string encodeResultPayload(const ResultEntry& entry);
/// Decodes a result record payload; false when malformed.
bool decodeResultPayload(const RecordView& record, ResultEntry* entry);

/// Encodes a command record: name, reserved word, four arguments.
std::string encodeCommandPayload(std::u16string_view name, const std::u16string (&args)[4]);
/// A decoded command record; false when lengths do not fit the payload or a text is not terminated.
struct CommandRecord {
    std::u16string name;
    std::u16string args[4];
    std::uint32_t argBytes[4] = {0, 0, 0, 0};
};
bool decodeCommandPayload(const RecordView& record, CommandRecord* command);

}  // namespace tvr::protocol
