// SPDX-License-Identifier: MIT
#include "protocol/golden/transcript.h"

#include <cstdio>
#include <sstream>

#include "protocol/wire.h"

namespace tvr::test::golden {

namespace {

void appendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// Reads words of a line: bare words and quoted texts (returned as UTF-16).
class Words {
public:
    explicit Words(std::string_view line) : line_(line) {}

    bool bare(std::string* word) {
        skipBlanks();
        if (pos_ >= line_.size() || line_[pos_] == '"') return false;
        std::size_t end = line_.find(' ', pos_);
        if (end == std::string_view::npos) end = line_.size();
        word->assign(line_.substr(pos_, end - pos_));
        pos_ = end;
        return true;
    }
    bool number(std::int64_t* value) {
        std::string word;
        if (!bare(&word)) return false;
        char* end = nullptr;
        *value = std::strtoll(word.c_str(), &end, 10);
        return end != nullptr && *end == '\0' && !word.empty();
    }
    bool quoted(std::u16string* text) {
        skipBlanks();
        if (pos_ >= line_.size() || line_[pos_] != '"') return false;
        ++pos_;
        text->clear();
        while (pos_ < line_.size()) {
            const auto byte = static_cast<unsigned char>(line_[pos_]);
            if (byte == '"') {
                ++pos_;
                return true;
            }
            if (byte == '\\') {
                if (!escape(text)) return false;
                continue;
            }
            if (!utf8(text)) return false;
        }
        return false;
    }
    bool atEnd() {
        skipBlanks();
        return pos_ >= line_.size();
    }

private:
    void skipBlanks() {
        while (pos_ < line_.size() && line_[pos_] == ' ') ++pos_;
    }
    bool escape(std::u16string* text) {
        if (pos_ + 1 >= line_.size()) return false;
        const char kind = line_[pos_ + 1];
        pos_ += 2;
        switch (kind) {
            case '"':
                *text += u'"';
                return true;
            case '\\':
                *text += u'\\';
                return true;
            case 'r':
                *text += u'\r';
                return true;
            case 'n':
                *text += u'\n';
                return true;
            case 't':
                *text += u'\t';
                return true;
            case 'u': {
                if (pos_ + 4 > line_.size()) return false;
                const std::string digits(line_.substr(pos_, 4));
                char* end = nullptr;
                const unsigned long unit = std::strtoul(digits.c_str(), &end, 16);
                if (end != digits.c_str() + 4) return false;
                *text += static_cast<char16_t>(unit);
                pos_ += 4;
                return true;
            }
            default:
                return false;
        }
    }
    bool utf8(std::u16string* text) {
        const auto lead = static_cast<unsigned char>(line_[pos_]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || pos_ + static_cast<std::size_t>(extra) >= line_.size() + (extra == 0 ? 1 : 0)) return false;
        char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int i = 1; i <= extra; ++i) point = (point << 6) | (static_cast<unsigned char>(line_[pos_ + i]) & 0x3F);
        pos_ += static_cast<std::size_t>(extra) + 1;
        if (point >= 0x10000) {
            point -= 0x10000;
            *text += static_cast<char16_t>(0xD800 + (point >> 10));
            *text += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        } else {
            *text += static_cast<char16_t>(point);
        }
        return true;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
};

void putU16(std::string& bytes, std::uint16_t value) {
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>(value >> 8);
}

void putText(std::string& bytes, std::u16string_view text) {
    for (char16_t unit : text) putU16(bytes, unit);
    putU16(bytes, 0);
}

// Builds packets from lines; the packet begins at "PACK" (the first one without it for requests).
class PacketWriter {
public:
    void beginPacket() {
        close();
        open_ = true;
    }
    void record(protocol::FourCC type, const std::string& payload) {
        if (!open_) beginPacket();
        protocol::appendRecord(body_, type, payload);
    }
    std::string finish() {
        close();
        return std::move(bytes_);
    }

private:
    void close() {
        if (open_) bytes_ += protocol::makePacket(body_);
        body_.clear();
        open_ = false;
    }
    bool open_ = false;
    std::string body_;
    std::string bytes_;
};

std::string hex(std::string_view bytes) {
    std::string out;
    char pair[3];
    for (char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(byte));
        out += pair;
    }
    return out;
}

bool unhex(const std::string& text, std::string* bytes) {
    if (text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = text.substr(i, 2);
        const unsigned long byte = std::strtoul(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) return false;
        *bytes += static_cast<char>(byte);
    }
    return true;
}

// One reply packet's lines, or nothing when a record is not in its one canonical form.
bool renderPacket(std::string_view packet, std::vector<std::string>* lines) {
    const auto* body = reinterpret_cast<const std::uint8_t*>(packet.data()) + protocol::kHeaderSize;
    const std::size_t size = packet.size() - protocol::kHeaderSize;
    lines->push_back("< PACK");
    protocol::RecordView record;
    for (std::size_t offset = 0; offset < size; offset += protocol::kHeaderSize + record.size) {
        if (!protocol::readRecord(body, size, offset, &record)) return false;
        if (record.type == protocol::kText) {
            std::u16string text;
            if (!protocol::decodeTextPayload(record, &text)) return false;
            lines->push_back("< STRG " + quote(text));
        } else if (record.type == protocol::kResult) {
            protocol::ResultEntry entry;
            if (!protocol::decodeResultPayload(record, &entry)) return false;
            lines->push_back("< RTMS " + std::to_string(entry.index) + " " + std::to_string(entry.value) + " " +
                             quote(entry.text));
        } else if (record.type == protocol::kList) {
            if (record.size < 2) return false;
            const std::uint16_t count = protocol::readU16(record.payload);
            lines->push_back("< RTFL " + std::to_string(count));
            std::size_t at = 2;
            auto text = [&](std::size_t bytes) {
                std::u16string out;
                for (std::size_t i = 0; i + 2 < bytes; i += 2) out += protocol::readU16(record.payload + at + i);
                at += bytes;
                return out;
            };
            for (std::uint16_t i = 0; i < count; ++i) {
                if (at + 4 > record.size) return false;
                const std::uint16_t value = protocol::readU16(record.payload + at);
                const std::uint16_t folderBytes = protocol::readU16(record.payload + at + 2);
                at += 4;
                if (at + folderBytes + 2 > record.size) return false;
                const std::string folder = folderBytes == 0 ? "=" : quote(text(folderBytes));
                const std::uint16_t nameBytes = protocol::readU16(record.payload + at);
                at += 2;
                if (at + nameBytes > record.size) return false;
                lines->push_back("<  - " + std::to_string(value) + " " + folder + " " + quote(text(nameBytes)));
            }
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string quote(std::u16string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit == u'"' || unit == u'\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit == u'\r') {
            out += "\\r";
        } else if (unit == u'\n') {
            out += "\\n";
        } else if (unit == u'\t') {
            out += "\\t";
        } else if (unit < 0x20 || unit == 0x7F || (unit >= 0xD800 && unit < 0xE000)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(unit));
            out += escaped;
        } else {
            appendUtf8(out, unit);
        }
    }
    return out + "\"";
}

File parseFile(const std::string& text) {
    File file;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("## ")) {
            file.cases.push_back(Case{line.substr(3), {}, {}});
        } else if (file.cases.empty()) {
            file.head.push_back(line);
        } else if (line.starts_with("<")) {
            file.cases.back().reply.push_back(line);
        } else if (line.starts_with(">") || line.starts_with("@")) {
            file.cases.back().steps.push_back(line);
        }
    }
    return file;
}

std::string formatFile(const File& file) {
    std::string out;
    for (const std::string& line : file.head) out += line + "\n";
    for (const Case& c : file.cases) {
        out += "## " + c.name + "\n";
        for (const std::string& line : c.steps) out += line + "\n";
        for (const std::string& line : c.reply) out += line + "\n";
        out += "\n";
    }
    while (out.ends_with("\n\n")) out.pop_back();
    return out;
}

bool encodeRequest(const std::vector<std::string>& lines, std::string* bytes, std::string* error) {
    PacketWriter writer;
    for (const std::string& line : lines) {
        Words words(std::string_view(line).substr(1));
        std::string kind;
        words.bare(&kind);
        if (kind == "PACK") {
            writer.beginPacket();
        } else if (kind == "STRG") {
            std::u16string text;
            if (!words.quoted(&text) || !words.atEnd()) return *error = "bad line: " + line, false;
            writer.record(protocol::kText, protocol::encodeTextPayload(text));
        } else if (kind == "MSGE") {
            std::u16string name;
            std::u16string args[4];
            bool good = words.quoted(&name);
            for (auto& arg : args) good = good && words.quoted(&arg);
            if (!good || !words.atEnd()) return *error = "bad line: " + line, false;
            writer.record(protocol::kCommand, protocol::encodeCommandPayload(name, args));
        } else {
            return *error = "bad line: " + line, false;
        }
    }
    *bytes = writer.finish();
    return true;
}

bool encodeReply(const std::vector<std::string>& lines, std::string* bytes, std::string* error) {
    PacketWriter writer;
    std::string list;  // the open list record's payload
    auto endList = [&] {
        if (!list.empty()) writer.record(protocol::kList, list);
        list.clear();
    };
    for (const std::string& line : lines) {
        Words words(std::string_view(line).substr(1));
        std::string kind;
        words.bare(&kind);
        bool good = true;
        if (kind != "-") endList();
        if (kind == "PACK") {
            writer.beginPacket();
        } else if (kind == "RAW") {
            std::string word;
            std::string raw;
            good = words.bare(&word) && unhex(word, &raw);
            *bytes += writer.finish();
            *bytes += raw;
        } else if (kind == "STRG") {
            std::u16string text;
            good = words.quoted(&text);
            if (good) writer.record(protocol::kText, protocol::encodeTextPayload(text));
        } else if (kind == "RTMS") {
            std::int64_t index = 0;
            std::int64_t value = 0;
            std::u16string text;
            good = words.number(&index) && words.number(&value) && words.quoted(&text);
            if (good) {
                writer.record(protocol::kResult,
                              protocol::encodeResultPayload(
                                  {static_cast<std::int32_t>(index), static_cast<std::int32_t>(value), text}));
            }
        } else if (kind == "RTFL") {
            std::int64_t count = 0;
            good = words.number(&count);
            putU16(list, static_cast<std::uint16_t>(count));
        } else if (kind == "-") {
            std::int64_t value = 0;
            std::string same;
            std::u16string folder;
            std::u16string name;
            good = !list.empty() && words.number(&value);
            const bool remembered = good && words.bare(&same) && same == "=";
            good = good && (remembered || words.quoted(&folder)) && words.quoted(&name);
            putU16(list, static_cast<std::uint16_t>(value));
            putU16(list, remembered ? 0 : static_cast<std::uint16_t>(2 * (folder.size() + 1)));
            if (!remembered) putText(list, folder);
            putU16(list, static_cast<std::uint16_t>(2 * (name.size() + 1)));
            putText(list, name);
        } else {
            good = false;
        }
        if (!good || !words.atEnd()) return *error = "bad line: " + line, false;
    }
    endList();
    *bytes += writer.finish();
    return true;
}

std::vector<std::string> renderReply(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at + protocol::kHeaderSize <= bytes.size()) {
        const auto* head = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
        const std::size_t size = protocol::kHeaderSize + protocol::readU32(head + 4);
        const std::string_view packet = std::string_view(bytes).substr(at, size);
        std::vector<std::string> rendered;
        std::string check;
        std::string error;
        // A packet is shown as lines only when those lines make exactly its bytes again.
        if (protocol::readU32(head) == protocol::kPack && packet.size() == size && renderPacket(packet, &rendered) &&
            encodeReply(rendered, &check, &error) && check == packet) {
            lines.insert(lines.end(), rendered.begin(), rendered.end());
        } else {
            lines.push_back("< RAW " + hex(packet));
        }
        at += packet.size();
    }
    if (at < bytes.size()) lines.push_back("< RAW " + hex(std::string_view(bytes).substr(at)));
    return lines;
}

std::vector<std::string> linesFor(const std::vector<std::string>& lines, std::string_view system) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        if (!line.starts_with("< [")) {
            kept.push_back(line);
            continue;
        }
        const std::size_t end = line.find("] ");
        if (end != std::string::npos && std::string_view(line).substr(3, end - 3) == system) {
            kept.push_back("< " + line.substr(end + 2));
        }
    }
    return kept;
}

bool hasSystemLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        if (line.starts_with("< [")) return true;
    return false;
}

std::size_t verdictCount(const std::vector<std::string>& lines) {
    std::size_t count = 0;
    for (const std::string& line : lines) {
        if (line.starts_with("< STRG \"#RET_OK()\"") || line.starts_with("< STRG \"#RET_ERR(")) ++count;
    }
    return count;
}

}  // namespace tvr::test::golden
