// SPDX-License-Identifier: MIT
// Private-profile INI files as Windows reads and writes them. The file is read whole on every
// call; a write changes only the bytes of the one line it touches (or inserts), so the rest of
// the file keeps its encoding, byte-order mark and line ends exactly.
#include "platform/ini_file.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/case_fold.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace {

enum class LineKind { Other, Section, Key };

struct Line {
    std::size_t begin = 0;       // byte offset of the first character
    std::size_t contentEnd = 0;  // byte offset of the line end (CR LF or LF) or the file end
    std::size_t next = 0;        // byte offset just after the line end
    // The decoded characters (without the line end), as a place in the document's units.
    std::size_t textBegin = 0;
    std::size_t textSize = 0;
    LineKind kind = LineKind::Other;
    // The section or key name, trimmed, as a place in the text, and a hash of its folded units,
    // so that lookups compare a number before they compare names.
    std::size_t nameBegin = 0;
    std::size_t nameSize = 0;
    std::uint32_t nameHash = 0;
};

}  // namespace

struct IniDocument::Text {
    std::string bytes;
    bool utf16 = false;
    std::size_t bomSize = 0;
    bool crlf = true;
    std::vector<Line> lines;
    std::vector<std::size_t> sections;  // indexes of the section lines, in file order
    // The decoded text of every line, one after the other, so that a document of many lines
    // holds one string rather than one a line. A rewritten line's new text is added at the end;
    // its old text stays, unused, until the document goes.
    std::u16string units;
};

namespace {

using IniText = IniDocument::Text;

std::optional<std::u16string_view> sectionName(std::u16string_view line) {
    line = IniName::trimmed(line);
    if (line.empty() || line.front() != u'[') return std::nullopt;
    line.remove_prefix(1);
    std::size_t close = line.find(u']');
    return IniName::trimmed(close == std::u16string_view::npos ? line : line.substr(0, close));
}

// Splits "key=value" into trimmed parts; nullopt for lines without "=".
std::optional<std::pair<std::u16string_view, std::u16string_view>> keyValue(std::u16string_view line) {
    std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return std::nullopt;
    return std::make_pair(IniName::trimmed(line.substr(0, equals)), IniName::trimmed(line.substr(equals + 1)));
}

char16_t unitAt(const IniText& ini, std::size_t offset) {
    if (!ini.utf16) return static_cast<unsigned char>(ini.bytes[offset]);
    return static_cast<char16_t>(static_cast<unsigned char>(ini.bytes[offset]) |
                                 (static_cast<unsigned char>(ini.bytes[offset + 1]) << 8));
}

std::string encodeUnits(const IniText& ini, std::u16string_view text) {
    if (!ini.utf16) return platform::toUtf8(text);
    std::string out;
    for (char16_t unit : text) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

// The file bytes of the units appended from offset begin on.
std::string encodeUnitsFrom(const IniText& ini, std::size_t begin) {
    return encodeUnits(ini, std::u16string_view(ini.units).substr(begin));
}

// Decodes bytes [begin, end) onto the end of the document's units.
void appendDecoded(IniText& ini, std::size_t begin, std::size_t end) {
    if (ini.utf16) {
        for (std::size_t i = begin; i < end; i += 2) ini.units.push_back(unitAt(ini, i));
    } else {
        appendUtf8(ini.units, std::string_view(ini.bytes).substr(begin, end - begin));
    }
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    // A name is most often looked up as the file spells it.
    if (a == b) return true;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (detail::foldCase(a[i]) != detail::foldCase(b[i])) return false;
    }
    return true;
}

std::u16string_view lineText(const IniText& ini, const Line& line) {
    return std::u16string_view(ini.units).substr(line.textBegin, line.textSize);
}

std::u16string_view lineName(const IniText& ini, const Line& line) {
    return std::u16string_view(ini.units).substr(line.textBegin + line.nameBegin, line.nameSize);
}

bool isNamed(const IniText& ini, const Line& line, LineKind kind, const IniName& name) {
    return line.kind == kind && line.nameHash == name.hash() && sameName(lineName(ini, line), name.text());
}

// Names the line once, so that lookups need not parse every line again.
void classify(const IniText& ini, Line& line) {
    const std::u16string_view text = lineText(ini, line);
    std::optional<std::u16string_view> name = sectionName(text);
    if (name) {
        line.kind = LineKind::Section;
    } else if (auto pair = keyValue(text)) {
        line.kind = LineKind::Key;
        name = pair->first;
    } else {
        return;
    }
    line.nameBegin = static_cast<std::size_t>(name->data() - text.data());
    line.nameSize = name->size();
    line.nameHash = IniName::hashOf(*name);
}

// Offset of the next LF unit in bytes [pos, end), or end.
std::size_t findLineFeed(const IniText& ini, std::size_t pos, std::size_t end) {
    if (!ini.utf16) {
        const void* found = std::memchr(ini.bytes.data() + pos, '\n', end - pos);
        return found == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(found) - ini.bytes.data());
    }
    while (pos < end && unitAt(ini, pos) != u'\n') pos += 2;
    return pos;
}

// Splits bytes [pos, end) into lines, appended to `lines`.
void splitRange(IniText& ini, std::size_t pos, std::size_t end, bool* sawLf, bool* sawCrLf) {
    std::size_t unit = ini.utf16 ? 2 : 1;
    while (pos < end) {
        Line line;
        line.begin = pos;
        std::size_t scan = findLineFeed(ini, pos, end);
        line.contentEnd = scan;
        line.next = scan < end ? scan + unit : scan;
        if (scan < end) {
            *sawLf = true;
            if (scan > pos && unitAt(ini, scan - unit) == u'\r') {
                line.contentEnd -= unit;
                *sawCrLf = true;
            }
        }
        line.textBegin = ini.units.size();
        appendDecoded(ini, line.begin, line.contentEnd);
        line.textSize = ini.units.size() - line.textBegin;
        classify(ini, line);
        pos = line.next;
        ini.lines.push_back(line);
    }
}

// A new line's text, put at the end of the document's units, and its bytes in the file.
struct AddedText {
    std::size_t begin = 0;
    std::size_t size = 0;
    std::string bytes;
};

// None of the parts may lie in the units themselves.
AddedText appendText(IniText& ini, std::u16string_view a, std::u16string_view b, std::u16string_view c) {
    AddedText text{ini.units.size(), a.size() + b.size() + c.size(), {}};
    ini.units.reserve(text.begin + text.size);
    ini.units.append(a).append(b).append(c);
    text.bytes = encodeUnitsFrom(ini, text.begin);
    return text;
}

// The lines of an edit are made from the text written rather than split again, so that a
// write costs one pass over the line numbers. A line's text is what decoding its bytes gives.
Line writtenLine(std::size_t begin, const AddedText& text, std::size_t eolSize, LineKind kind, std::size_t nameBegin,
                 const IniName& name) {
    Line line;
    line.begin = begin;
    line.contentEnd = begin + text.bytes.size();
    line.next = line.contentEnd + eolSize;
    line.textBegin = text.begin;
    line.textSize = text.size;
    line.kind = kind;
    line.nameBegin = nameBegin;
    line.nameSize = name.text().size();
    line.nameHash = name.hash();
    return line;
}

// A key line's new value; the key keeps the spelling it has in the file. Returns how many bytes
// the line grew by.
std::ptrdiff_t replaceValue(IniText& ini, Line& line, std::u16string_view value) {
    std::size_t textBegin = ini.units.size();
    // The name is copied from the units into the units: the room made first keeps it in place.
    ini.units.reserve(textBegin + line.nameSize + 1 + value.size());
    ini.units.append(ini.units, line.textBegin + line.nameBegin, line.nameSize).append(u"=").append(value);
    std::string bytes = encodeUnitsFrom(ini, textBegin);
    auto delta = static_cast<std::ptrdiff_t>(bytes.size()) - static_cast<std::ptrdiff_t>(line.contentEnd - line.begin);
    ini.bytes.replace(line.begin, line.contentEnd - line.begin, bytes);
    std::size_t eolSize = line.next - line.contentEnd;
    line.textBegin = textBegin;
    line.textSize = ini.units.size() - textBegin;
    line.nameBegin = 0;
    line.contentEnd = line.begin + bytes.size();
    line.next = line.contentEnd + eolSize;
    return delta;
}

void shiftLines(IniText& ini, std::size_t from, std::ptrdiff_t delta) {
    for (std::size_t i = from; i < ini.lines.size(); ++i) {
        Line& line = ini.lines[i];
        line.begin += delta;
        line.contentEnd += delta;
        line.next += delta;
    }
}

void indexSections(IniText& ini) {
    ini.sections.clear();
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        if (ini.lines[i].kind == LineKind::Section) ini.sections.push_back(i);
    }
}

// Appends bytes at the file end and splits them into lines. A last line without a line end is
// split again with them: the end put after it can change how its own end reads.
void appendBytes(IniText& ini, const std::string& bytes) {
    std::size_t begin = ini.bytes.size();
    if (!ini.lines.empty() && ini.lines.back().next == ini.lines.back().contentEnd) {
        begin = ini.lines.back().begin;
        ini.lines.pop_back();
    }
    ini.bytes += bytes;
    bool sawLf = false;
    bool sawCrLf = false;
    splitRange(ini, begin, ini.bytes.size(), &sawLf, &sawCrLf);
    indexSections(ini);
}

// The line end to put after the last line when it has none. A lone CR that ends that line is part
// of its text; a LF alone after it would make the two one line end and change what the line
// names or holds, so the line then gets a CR LF of its own.
std::string endForLastLine(const IniText& ini, const std::string& eol) {
    const Line& last = ini.lines.back();
    bool endsInCr = last.textSize > 0 && ini.units[last.textBegin + last.textSize - 1] == u'\r';
    return endsInCr ? encodeUnits(ini, u"\r\n") : eol;
}

void parse(IniText& ini) {
    if (ini.bytes.starts_with("\xFF\xFE")) {
        ini.utf16 = true;
        ini.bomSize = 2;
    } else if (ini.bytes.starts_with("\xEF\xBB\xBF")) {
        ini.bomSize = 3;
    }
    if (ini.utf16 && (ini.bytes.size() - ini.bomSize) % 2 != 0) ini.bytes.pop_back();
    bool sawLf = false;
    bool sawCrLf = false;
    // Room for the lines and the keys a first start adds, so that splitting moves no line twice.
    ini.lines.reserve(static_cast<std::size_t>(std::count(ini.bytes.begin(), ini.bytes.end(), '\n')) + 64);
    ini.units.reserve(ini.bytes.size());
    splitRange(ini, ini.bomSize, ini.bytes.size(), &sawLf, &sawCrLf);
    indexSections(ini);
    ini.crlf = sawCrLf || !sawLf;
}

// The first section of that name: later ones of the same name are never read or written.
std::optional<std::size_t> findSection(const IniText& ini, const IniName& section) {
    for (std::size_t i : ini.sections) {
        if (isNamed(ini, ini.lines[i], LineKind::Section, section)) return i;
    }
    return std::nullopt;
}

// Index one past the section's last line: the next section line or the end of the file.
std::size_t sectionEnd(const IniText& ini, std::size_t header) {
    std::size_t i = header + 1;
    while (i < ini.lines.size() && ini.lines[i].kind != LineKind::Section) ++i;
    return i;
}

std::u16string_view stripQuotes(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Names and values that would break the line structure are refused rather than written, so
// text from the network can never add lines, keys or sections of its own. UTF-8 has no form for
// an unpaired surrogate: it would be written as U+FFFD and never read back.
bool writable(const IniText& ini, std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (section.empty() || key.empty() || key.front() == u'[') return false;
    // No line break, nor the character that would end its part of the line.
    auto fits = [&ini](std::u16string_view text, std::u16string_view stops) {
        return text.find_first_of(stops) == std::u16string_view::npos && (ini.utf16 || !hasUnpairedSurrogate(text));
    };
    return fits(section, u"\r\n]") && fits(key, u"\r\n=") && fits(value, u"\r\n");
}

// Serialises read-modify-writes of one file in this process; the key is the resolved path, so
// two spellings of one file share the lock.
class FileLock {
public:
    explicit FileLock(std::u16string_view file) : key_(canonicalPath(file)) {
        {
            const std::lock_guard guard(tableMutex());
            Slot& slot = table()[key_];
            ++slot.users;
            mutex_ = &slot.mutex;
        }
        mutex_->lock();
    }
    ~FileLock() {
        mutex_->unlock();
        const std::lock_guard guard(tableMutex());
        auto it = table().find(key_);
        if (--it->second.users == 0) table().erase(it);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    struct Slot {
        std::mutex mutex;
        int users = 0;
    };
    static std::mutex& tableMutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::unordered_map<std::u16string, Slot>& table() {
        static std::unordered_map<std::u16string, Slot> slots;
        return slots;
    }

    std::u16string key_;
    std::mutex* mutex_ = nullptr;
};

}  // namespace

IniDocument::IniDocument() : text_(std::make_unique<Text>()) {
    text_->bytes = "\xFF\xFE";
    text_->utf16 = true;
    text_->bomSize = 2;
}

IniDocument::IniDocument(std::string bytes) : text_(std::make_unique<Text>()) {
    text_->bytes = std::move(bytes);
    parse(*text_);
}

IniDocument::~IniDocument() = default;

const std::string& IniDocument::bytes() const { return text_->bytes; }

std::u16string IniDocument::read(const IniName& section, const IniName& key, std::u16string_view fallback) const {
    std::optional<std::u16string> value = find(section, key);
    return value ? std::move(*value) : std::u16string(fallback);
}

std::optional<std::u16string> IniDocument::find(const IniName& section, const IniName& key) const {
    const IniText& ini = *text_;
    auto header = findSection(ini, section);
    if (!header) return std::nullopt;
    std::size_t end = sectionEnd(ini, *header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        const Line& line = ini.lines[i];
        if (isNamed(ini, line, LineKind::Key, key)) {
            return std::u16string(stripQuotes(keyValue(lineText(ini, line))->second));
        }
    }
    return std::nullopt;
}

bool IniDocument::write(const IniName& sectionLookup, const IniName& keyLookup, std::u16string_view value) {
    IniText& ini = *text_;
    std::u16string_view section = sectionLookup.text();
    std::u16string_view key = keyLookup.text();
    if (!writable(ini, section, key, value)) return false;
    const std::string eol = encodeUnits(ini, ini.crlf ? u"\r\n" : u"\n");
    auto header = findSection(ini, sectionLookup);
    if (!header) {
        const AddedText headerText = appendText(ini, u"[", section, u"]");
        const AddedText entry = appendText(ini, key, u"=", value);
        bool endless = !ini.lines.empty() && ini.lines.back().next == ini.lines.back().contentEnd;
        if (endless) {
            appendBytes(ini, endForLastLine(ini, eol) + headerText.bytes + eol + entry.bytes + eol);
            return true;
        }
        std::size_t begin = ini.bytes.size();
        ini.bytes += headerText.bytes + eol + entry.bytes + eol;
        ini.sections.push_back(ini.lines.size());
        ini.lines.push_back(writtenLine(begin, headerText, eol.size(), LineKind::Section, 1, sectionLookup));
        ini.lines.push_back(writtenLine(ini.lines.back().next, entry, eol.size(), LineKind::Key, 0, keyLookup));
        return true;
    }
    std::size_t end = sectionEnd(ini, *header);
    std::size_t lastKey = *header;
    for (std::size_t i = *header + 1; i < end; ++i) {
        Line& line = ini.lines[i];
        if (line.kind != LineKind::Key) continue;
        if (isNamed(ini, line, LineKind::Key, keyLookup)) {
            shiftLines(ini, i + 1, replaceValue(ini, line, value));
            return true;
        }
        lastKey = i;
    }
    const AddedText entry = appendText(ini, key, u"=", value);
    const Line& after = ini.lines[lastKey];
    if (after.next == after.contentEnd) {
        appendBytes(ini, endForLastLine(ini, eol) + entry.bytes);
        return true;
    }
    std::size_t begin = after.next;
    ini.bytes.insert(begin, entry.bytes + eol);
    shiftLines(ini, lastKey + 1, static_cast<std::ptrdiff_t>(entry.bytes.size() + eol.size()));
    for (std::size_t& index : ini.sections) {
        if (index > lastKey) ++index;
    }
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(lastKey + 1),
                     writtenLine(begin, entry, eol.size(), LineKind::Key, 0, keyLookup));
    return true;
}

std::u16string iniReadString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                             std::u16string_view fallback) {
    std::string bytes;
    if (!readFileBytes(file, &bytes)) return std::u16string(fallback);
    return IniDocument(std::move(bytes)).read(section, key, fallback);
}

bool iniEdit(std::u16string_view file, const std::function<bool(IniDocument&)>& edit) {
    // Another thread's write between our read and our replace would be lost without this lock.
    const FileLock lock(file);
    std::string bytes;
    std::unique_ptr<IniDocument> document;
    if (readFileBytes(file, &bytes)) {
        document = std::make_unique<IniDocument>(bytes);
    } else if (pathKind(file) == PathKind::Missing) {
        document = std::make_unique<IniDocument>();
        bytes.clear();
    } else {
        return false;
    }
    if (!edit(*document)) return false;
    if (document->bytes() == bytes) return true;
    return writeFileAtomic(file, document->bytes());
}

bool iniWriteString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                    std::u16string_view value) {
    const IniEntry entry{section, key, value};
    return iniWriteStrings(file, std::span<const IniEntry>(&entry, 1));
}

bool iniWriteStrings(std::u16string_view file, std::span<const IniEntry> entries) {
    return iniEdit(file, [&](IniDocument& document) {
        for (const IniEntry& entry : entries) {
            if (!document.write(entry.section, entry.key, entry.value)) return false;
        }
        return true;
    });
}

}  // namespace tvr::platform
