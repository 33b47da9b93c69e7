// SPDX-License-Identifier: MIT
#include "protocol/wire.h"

namespace tvr::protocol {

std::uint32_t readU32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint16_t readU16(const std::uint8_t* bytes) { return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8); }

void writeU32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void writeU16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

bool readRecord(const std::uint8_t* body, std::size_t bodySize, std::size_t offset, RecordView* record) {
    if (offset > bodySize || bodySize - offset < kHeaderSize) return false;
    std::size_t size = readU32(body + offset + 4);
    if (size > bodySize - offset - kHeaderSize) return false;
    record->type = readU32(body + offset);
    record->payload = body + offset + kHeaderSize;
    record->size = size;
    return true;
}

namespace {

// Reads UTF-16LE code units up to (not including) the first zero character within `bytes`.
// Returns false when no zero character ends the text inside the given length.
bool readTerminatedText(const std::uint8_t* bytes, std::size_t size, std::u16string* text) {
    if (size < 2 || size % 2 != 0) return false;
    text->clear();
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
        if (unit == 0) return true;
        text->push_back(unit);
    }
    return false;
}

void appendU32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

void appendText(std::string& out, std::u16string_view text) {
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    out.push_back('\0');
    out.push_back('\0');
}

}  // namespace

bool decodeTextPayload(const RecordView& record, std::u16string* text) {
    return readTerminatedText(record.payload, record.size, text);
}

std::string encodeTextPayload(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 2 + 2);
    appendText(out, text);
    return out;
}

void appendRecord(std::string& bytes, FourCC type, std::string_view payload) {
    appendU32(bytes, type);
    appendU32(bytes, static_cast<std::uint32_t>(payload.size()));
    bytes.append(payload);
}

std::string makePacket(std::string_view body) {
    std::string out;
    appendU32(out, kPack);
    appendU32(out, static_cast<std::uint32_t>(body.size()));
    out.append(body);
    return out;
}

bool decodeListPayload(const RecordView& record, std::vector<ListEntry>* entries) {
    const std::uint8_t* p = record.payload;
    std::size_t left = record.size;
    if (left < 2) return false;
    std::size_t count = readU16(p);
    p += 2;
    left -= 2;
    std::u16string folder;
    for (std::size_t i = 0; i < count; ++i) {
        if (left < 4) return false;
        ListEntry entry;
        entry.value = readU16(p);
        std::size_t folderBytes = readU16(p + 2);
        p += 4;
        left -= 4;
        if (folderBytes > 0) {
            if (folderBytes > left || !readTerminatedText(p, folderBytes, &folder)) return false;
            p += folderBytes;
            left -= folderBytes;
        }
        if (left < 2) return false;
        std::size_t nameBytes = readU16(p);
        p += 2;
        left -= 2;
        if (nameBytes > left || !readTerminatedText(p, nameBytes, &entry.name)) return false;
        p += nameBytes;
        left -= nameBytes;
        entry.folder = folder;
        entries->push_back(std::move(entry));
    }
    return left == 0;
}

std::string encodeResultPayload(const ResultEntry& entry) {
    std::string out;
    appendU32(out, static_cast<std::uint32_t>(entry.index));
    appendU32(out, static_cast<std::uint32_t>(entry.value));
    appendU32(out, static_cast<std::uint32_t>(entry.text.size() * 2 + 2));
    appendText(out, entry.text);
    return out;
}

bool decodeResultPayload(const RecordView& record, ResultEntry* entry) {
    if (record.size < 12) return false;
    entry->index = static_cast<std::int32_t>(readU32(record.payload));
    entry->value = static_cast<std::int32_t>(readU32(record.payload + 4));
    std::size_t textBytes = readU32(record.payload + 8);
    if (textBytes != record.size - 12) return false;
    return readTerminatedText(record.payload + 12, textBytes, &entry->text);
}

std::string encodeCommandPayload(std::u16string_view name, const std::u16string (&args)[4]) {
    std::string out;
    appendU32(out, static_cast<std::uint32_t>(name.size() * 2 + 2));
    appendText(out, name);
    appendU32(out, 0);
    for (const auto& arg : args) {
        appendU32(out, static_cast<std::uint32_t>(arg.size() * 2 + 2));
        appendText(out, arg);
    }
    return out;
}

bool decodeCommandPayload(const RecordView& record, CommandRecord* command) {
    const std::uint8_t* p = record.payload;
    std::size_t left = record.size;
    auto takeText = [&](std::u16string* text, std::uint32_t* bytesOut) {
        if (left < 4) return false;
        std::uint32_t bytes = readU32(p);
        p += 4;
        left -= 4;
        if (bytes > left || !readTerminatedText(p, bytes, text)) return false;
        if (bytesOut != nullptr) *bytesOut = bytes;
        p += bytes;
        left -= bytes;
        return true;
    };
    if (!takeText(&command->name, nullptr)) return false;
    if (left < 4) return false;
    p += 4;  // reserved word
    left -= 4;
    for (int i = 0; i < 4; ++i) {
        if (!takeText(&command->args[i], &command->argBytes[i])) return false;
    }
    return true;
}

}  // namespace tvr::protocol
