// SPDX-License-Identifier: MIT
// Private-profile INI files as Windows reads and writes them: UTF-8 (or ANSI), UTF-16LE or
// UTF-16BE after their byte-order marks, lines ended by CR LF, LF or a lone CR. The bytes stay as
// read; one pass indexes the lines that matter (section names and keys) by byte offset, and a
// write changes only the bytes of the one line it touches (or inserts) and moves the offsets
// after it. So the rest of the file keeps its encoding, mark and line ends exactly, and reading or
// writing costs one pass over the file however many blank or other lines it holds.
#include "platform/ini_file.h"

#include <algorithm>
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

enum class Encoding { Utf8, Utf16Le, Utf16Be };

// A section line or a key line; other lines (blank, comments) are never read or written.
struct Entry {
    std::size_t begin = 0;       // byte offset of the first character
    std::size_t contentEnd = 0;  // byte offset of the line end, or the file end
    std::size_t next = 0;        // byte offset just after the line end
    bool section = false;

    void shift(std::ptrdiff_t delta) {
        begin = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(begin) + delta);
        contentEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(contentEnd) + delta);
        next = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(next) + delta);
    }
};

}  // namespace

struct IniDocument::Text {
    std::string bytes;
    Encoding encoding = Encoding::Utf8;
    std::size_t bomSize = 0;
    std::u16string eol = u"\r\n";  // the file's first line end, for the lines a write adds
    std::vector<Entry> entries;    // in file order
};

namespace {

using IniText = IniDocument::Text;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view trim(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool sameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (detail::foldCase(a[i]) != detail::foldCase(b[i])) return false;
    }
    return true;
}

std::optional<std::u16string_view> sectionName(std::u16string_view line) {
    line = trim(line);
    if (line.empty() || line.front() != u'[') return std::nullopt;
    line.remove_prefix(1);
    std::size_t close = line.find(u']');
    return trim(close == std::u16string_view::npos ? line : line.substr(0, close));
}

// Splits "key=value" into trimmed parts; nullopt for lines without "=".
std::optional<std::pair<std::u16string_view, std::u16string_view>> keyValue(std::u16string_view line) {
    std::size_t equals = line.find(u'=');
    if (equals == std::u16string_view::npos) return std::nullopt;
    return std::make_pair(trim(line.substr(0, equals)), trim(line.substr(equals + 1)));
}

std::size_t unitSize(const IniText& ini) { return ini.encoding == Encoding::Utf8 ? 1 : 2; }

// One code unit; in UTF-8 one byte, which is enough for the ASCII characters that shape lines.
char16_t unitAt(const IniText& ini, std::size_t offset) {
    const auto byte = [&ini](std::size_t at) { return static_cast<unsigned char>(ini.bytes[at]); };
    switch (ini.encoding) {
        case Encoding::Utf16Le:
            return static_cast<char16_t>(byte(offset) | (byte(offset + 1) << 8));
        case Encoding::Utf16Be:
            return static_cast<char16_t>((byte(offset) << 8) | byte(offset + 1));
        case Encoding::Utf8:
            break;
    }
    return byte(offset);
}

std::string encodeUnits(const IniText& ini, std::u16string_view text) {
    if (ini.encoding == Encoding::Utf8) return platform::toUtf8(text);
    const bool little = ini.encoding == Encoding::Utf16Le;
    std::string out;
    out.reserve(2 * text.size());
    for (char16_t unit : text) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        out.push_back(little ? low : high);
        out.push_back(little ? high : low);
    }
    return out;
}

std::u16string decodeUnits(const IniText& ini, std::size_t begin, std::size_t end) {
    if (ini.encoding == Encoding::Utf8) {
        return platform::fromUtf8(std::string_view(ini.bytes).substr(begin, end - begin));
    }
    std::u16string text;
    text.reserve((end - begin) / 2);
    for (std::size_t i = begin; i < end; i += 2) text.push_back(unitAt(ini, i));
    return text;
}

std::u16string lineText(const IniText& ini, const Entry& entry) {
    return decodeUnits(ini, entry.begin, entry.contentEnd);
}

// Whether the line from begin to end names a section or holds a key, from its code units alone.
std::optional<bool> classify(const IniText& ini, std::size_t begin, std::size_t end) {
    const std::size_t unit = unitSize(ini);
    std::size_t at = begin;
    while (at < end && isBlank(unitAt(ini, at))) at += unit;
    if (at == end) return std::nullopt;
    if (unitAt(ini, at) == u'[') return true;
    for (; at < end; at += unit) {
        if (unitAt(ini, at) == u'=') return false;
    }
    return std::nullopt;
}

void parse(IniText& ini) {
    if (ini.bytes.starts_with("\xFF\xFE")) {
        ini.encoding = Encoding::Utf16Le;
        ini.bomSize = 2;
    } else if (ini.bytes.starts_with("\xFE\xFF")) {
        ini.encoding = Encoding::Utf16Be;
        ini.bomSize = 2;
    } else if (ini.bytes.starts_with("\xEF\xBB\xBF")) {
        ini.bomSize = 3;
    }
    const std::size_t unit = unitSize(ini);
    if (unit == 2 && (ini.bytes.size() - ini.bomSize) % 2 != 0) ini.bytes.pop_back();
    bool eolSeen = false;
    std::size_t pos = ini.bomSize;
    while (pos < ini.bytes.size()) {
        Entry entry;
        entry.begin = pos;
        std::size_t scan = pos;
        char16_t c = 0;
        while (scan < ini.bytes.size() && (c = unitAt(ini, scan)) != u'\n' && c != u'\r') scan += unit;
        entry.contentEnd = scan;
        entry.next = scan;
        if (scan < ini.bytes.size()) {
            const bool crLf = c == u'\r' && scan + unit < ini.bytes.size() && unitAt(ini, scan + unit) == u'\n';
            entry.next = scan + (crLf ? 2 : 1) * unit;
            if (!eolSeen) ini.eol = crLf ? u"\r\n" : std::u16string(1, c);
            eolSeen = true;
        }
        if (std::optional<bool> section = classify(ini, entry.begin, entry.contentEnd)) {
            entry.section = *section;
            ini.entries.push_back(entry);
        }
        pos = entry.next;
    }
}

// The first section of that name: later ones of the same name are never read or written.
std::optional<std::size_t> findSection(const IniText& ini, std::u16string_view section) {
    for (std::size_t i = 0; i < ini.entries.size(); ++i) {
        if (!ini.entries[i].section) continue;
        const std::u16string text = lineText(ini, ini.entries[i]);
        auto name = sectionName(text);
        if (name && sameName(*name, section)) return i;
    }
    return std::nullopt;
}

std::u16string_view stripQuotes(std::u16string_view value) {
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The text that reads back as the value: the reader trims blanks and drops one pair of matching
// quotes, so a value either would change is put in double quotes. Every other value is written
// as it is, as Windows writes it.
std::u16string storedValue(std::u16string_view value) {
    const bool blankEnd = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    if (!blankEnd && stripQuotes(value).size() == value.size()) return std::u16string(value);
    return u"\"" + std::u16string(value) + u"\"";
}

// Names and values that would break the line structure are refused rather than written, so
// text from the network can never add lines, keys or sections of its own. UTF-8 has no form for
// an unpaired surrogate: it would be written as U+FFFD and never read back.
bool writable(const IniText& ini, std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    if (section.empty() || key.empty() || key.front() == u'[') return false;
    // No line break, nor the character that would end its part of the line.
    auto fits = [&ini](std::u16string_view text, std::u16string_view stops) {
        return text.find_first_of(stops) == std::u16string_view::npos &&
               (ini.encoding != Encoding::Utf8 || !hasUnpairedSurrogate(text));
    };
    return fits(section, u"\r\n]") && fits(key, u"\r\n=") && fits(value, u"\r\n");
}

// Puts bytes at the offset and moves every entry from index `from` on behind them.
void insertBytes(IniText& ini, std::size_t offset, const std::string& inserted, std::size_t from) {
    ini.bytes.insert(offset, inserted);
    for (std::size_t i = from; i < ini.entries.size(); ++i) {
        ini.entries[i].shift(static_cast<std::ptrdiff_t>(inserted.size()));
    }
}

// Adds a line of text after the entry `after`, or at the file's end.
void addLine(IniText& ini, std::optional<std::size_t> after, std::u16string_view text, bool section) {
    const std::string eol = encodeUnits(ini, ini.eol);
    const std::string line = encodeUnits(ini, text);
    std::size_t index = after ? *after + 1 : ini.entries.size();
    std::size_t offset = after ? ini.entries[*after].next : ini.bytes.size();
    Entry entry;
    entry.section = section;
    const std::size_t unit = unitSize(ini);
    const bool lastLineOpen = offset == ini.bytes.size() && offset > ini.bomSize &&
                              unitAt(ini, offset - unit) != u'\n' && unitAt(ini, offset - unit) != u'\r';
    if (lastLineOpen) {
        // The file's last line gets its line end first; it is the last entry when it matters.
        ini.bytes += eol;
        if (!ini.entries.empty() && ini.entries.back().next == offset) ini.entries.back().next += eol.size();
        offset = ini.bytes.size();
    }
    // A key added after a last line without a line end gets none either, as Windows writes it.
    const bool ends = !(lastLineOpen && after);
    entry.begin = offset;
    entry.contentEnd = offset + line.size();
    entry.next = entry.contentEnd + (ends ? eol.size() : 0);
    insertBytes(ini, offset, ends ? line + eol : line, index);
    ini.entries.insert(ini.entries.begin() + static_cast<std::ptrdiff_t>(index), entry);
}

// Writes the key's line with `stored`, the text that reads back as `value`; false for refused text.
bool writeLine(IniText& ini, std::u16string_view section, std::u16string_view key, std::u16string_view value,
               std::u16string_view stored) {
    section = trim(section);
    key = trim(key);
    if (!writable(ini, section, key, value)) return false;
    const std::u16string entry = std::u16string(key) + u"=" + std::u16string(stored);
    auto header = findSection(ini, section);
    if (!header) {
        addLine(ini, std::nullopt, u"[" + std::u16string(section) + u"]", true);
        addLine(ini, std::nullopt, entry, false);
        return true;
    }
    std::size_t lastKey = *header;
    for (std::size_t i = *header + 1; i < ini.entries.size() && !ini.entries[i].section; ++i) {
        Entry& line = ini.entries[i];
        const std::u16string text = lineText(ini, line);
        auto pair = keyValue(text);
        if (sameName(pair->first, key)) {
            // The key keeps the spelling it has in the file.
            const std::string replacement =
                encodeUnits(ini, std::u16string(pair->first) + u"=" + std::u16string(stored));
            const auto delta = static_cast<std::ptrdiff_t>(replacement.size()) -
                               static_cast<std::ptrdiff_t>(line.contentEnd - line.begin);
            ini.bytes.replace(line.begin, line.contentEnd - line.begin, replacement);
            line.contentEnd = line.begin + replacement.size();
            line.next = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(line.next) + delta);
            for (std::size_t j = i + 1; j < ini.entries.size(); ++j) ini.entries[j].shift(delta);
            return true;
        }
        lastKey = i;
    }
    addLine(ini, lastKey, entry, false);
    return true;
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
    text_->encoding = Encoding::Utf16Le;
    text_->bomSize = 2;
}

IniDocument::IniDocument(std::string bytes) : text_(std::make_unique<Text>()) {
    text_->bytes = std::move(bytes);
    parse(*text_);
}

IniDocument::~IniDocument() = default;

const std::string& IniDocument::bytes() const { return text_->bytes; }

std::u16string IniDocument::read(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view fallback) const {
    std::optional<std::u16string> value = find(section, key);
    return value ? std::move(*value) : std::u16string(fallback);
}

std::optional<std::u16string> IniDocument::find(std::u16string_view section, std::u16string_view key) const {
    const IniText& ini = *text_;
    auto header = findSection(ini, trim(section));
    if (!header) return std::nullopt;
    key = trim(key);
    for (std::size_t i = *header + 1; i < ini.entries.size() && !ini.entries[i].section; ++i) {
        const std::u16string text = lineText(ini, ini.entries[i]);
        auto pair = keyValue(text);
        if (pair && sameName(pair->first, key)) return std::u16string(stripQuotes(pair->second));
    }
    return std::nullopt;
}

bool IniDocument::write(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    return writeLine(*text_, section, key, value, storedValue(value));
}

bool IniDocument::writeAligned(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    const std::size_t padding = std::min(value.find_first_not_of(u" \t"), value.size());
    return writeLine(*text_, section, key, value,
                     std::u16string(value.substr(0, padding)) + storedValue(value.substr(padding)));
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
