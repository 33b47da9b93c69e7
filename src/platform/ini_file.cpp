// SPDX-License-Identifier: MIT
// Private-profile INI files as Windows reads and writes them. The file is read whole on every
// call; a write changes only the bytes of the one line it touches (or inserts), so the rest of
// the file keeps its encoding, byte-order mark and line ends exactly. A file holds some fifty
// keys: every lookup parses the lines it passes, and an edit splits the lines again from the
// one it changed.
#include "platform/ini_file.h"

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

struct Line {
    std::size_t begin = 0;       // byte offset of the first character
    std::size_t contentEnd = 0;  // byte offset of the line end (CR LF or LF) or the file end
    std::size_t next = 0;        // byte offset just after the line end
    std::u16string text;         // the decoded characters, without the line end

    bool hasEnd() const { return next != contentEnd; }
};

}  // namespace

struct IniDocument::Text {
    std::string bytes;
    bool utf16 = false;
    std::size_t bomSize = 0;
    bool crlf = true;
    std::vector<Line> lines;
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

std::u16string decodeUnits(const IniText& ini, std::size_t begin, std::size_t end) {
    if (!ini.utf16) return platform::fromUtf8(std::string_view(ini.bytes).substr(begin, end - begin));
    std::u16string text;
    for (std::size_t i = begin; i < end; i += 2) text.push_back(unitAt(ini, i));
    return text;
}

// Splits the bytes into lines again from line `index` on (after an edit there or later). The
// line ends of the whole file stay as first detected.
void splitFrom(IniText& ini, std::size_t index, bool* sawLf = nullptr, bool* sawCrLf = nullptr) {
    std::size_t unit = ini.utf16 ? 2 : 1;
    std::size_t pos = index < ini.lines.size() ? ini.lines[index].begin : ini.bomSize;
    ini.lines.resize(index < ini.lines.size() ? index : 0);
    while (pos < ini.bytes.size()) {
        Line line;
        line.begin = pos;
        std::size_t scan = pos;
        while (scan < ini.bytes.size() && unitAt(ini, scan) != u'\n') scan += unit;
        line.contentEnd = scan;
        line.next = scan < ini.bytes.size() ? scan + unit : scan;
        if (scan < ini.bytes.size()) {
            if (sawLf != nullptr) *sawLf = true;
            if (scan > pos && unitAt(ini, scan - unit) == u'\r') {
                line.contentEnd -= unit;
                if (sawCrLf != nullptr) *sawCrLf = true;
            }
        }
        line.text = decodeUnits(ini, line.begin, line.contentEnd);
        pos = line.next;
        ini.lines.push_back(std::move(line));
    }
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
    splitFrom(ini, 0, &sawLf, &sawCrLf);
    ini.crlf = sawCrLf || !sawLf;
}

// The first section of that name: later ones of the same name are never read or written.
std::optional<std::size_t> findSection(const IniText& ini, std::u16string_view section) {
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        auto name = sectionName(ini.lines[i].text);
        if (name && sameName(*name, section)) return i;
    }
    return std::nullopt;
}

// Index one past the section's last line: the next section line or the end of the file.
std::size_t sectionEnd(const IniText& ini, std::size_t header) {
    std::size_t i = header + 1;
    while (i < ini.lines.size() && !sectionName(ini.lines[i].text)) ++i;
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

// The line end to put after the last line, which has none. A lone CR that ends that line is part
// of its text; a LF alone after it would make the two one line end and change what the line
// names or holds, so the line then gets a CR LF of its own.
std::string endForLastLine(const IniText& ini, const std::string& eol) {
    return ini.lines.back().text.ends_with(u'\r') ? encodeUnits(ini, u"\r\n") : eol;
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
    std::size_t end = sectionEnd(ini, *header);
    for (std::size_t i = *header + 1; i < end; ++i) {
        auto pair = keyValue(ini.lines[i].text);
        if (pair && sameName(pair->first, key)) return std::u16string(stripQuotes(pair->second));
    }
    return std::nullopt;
}

bool IniDocument::write(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    IniText& ini = *text_;
    section = trim(section);
    key = trim(key);
    if (!writable(ini, section, key, value)) return false;
    const std::string eol = encodeUnits(ini, ini.crlf ? u"\r\n" : u"\n");
    auto header = findSection(ini, section);
    if (!header) {
        std::string addition;
        if (!ini.lines.empty() && !ini.lines.back().hasEnd()) addition = endForLastLine(ini, eol);
        addition += encodeUnits(ini, u"[" + std::u16string(section) + u"]") + eol;
        addition += encodeUnits(ini, std::u16string(key) + u"=" + std::u16string(value)) + eol;
        ini.bytes += addition;
        splitFrom(ini, ini.lines.empty() ? 0 : ini.lines.size() - 1);
        return true;
    }
    std::size_t end = sectionEnd(ini, *header);
    std::size_t lastKey = *header;
    for (std::size_t i = *header + 1; i < end; ++i) {
        auto pair = keyValue(ini.lines[i].text);
        if (!pair) continue;
        if (sameName(pair->first, key)) {
            // The key keeps the spelling it has in the file.
            const Line& line = ini.lines[i];
            std::string replacement = encodeUnits(ini, std::u16string(pair->first) + u"=" + std::u16string(value));
            ini.bytes.replace(line.begin, line.contentEnd - line.begin, replacement);
            splitFrom(ini, i);
            return true;
        }
        lastKey = i;
    }
    const Line& after = ini.lines[lastKey];
    std::string entry = encodeUnits(ini, std::u16string(key) + u"=" + std::u16string(value));
    if (after.hasEnd()) {
        ini.bytes.insert(after.next, entry + eol);
    } else {
        ini.bytes.insert(after.next, endForLastLine(ini, eol) + entry);
    }
    splitFrom(ini, lastKey);
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
