// SPDX-License-Identifier: MIT
// The word list file, as written:
//   #start
//   #dat<TAB>"id" "word" "word" ...      at most 10 words a line, ids ascending
//   #end
// UTF-8 with a byte-order mark and CR LF. Reading is lenient: only lines beginning with "#"
// count, quotes are optional, LF alone is accepted, and lines are read whole however long.
#include "stores/word_list.h"

#include <algorithm>

#include "core/paths.h"
#include "core/text.h"
#include "platform/text_file.h"

namespace tvr::stores {

namespace {

constexpr std::size_t kWordsPerLine = 10;

std::u16string keyOf(std::u16string_view id, std::u16string_view word) {
    std::u16string key(id);
    key += u'\0';
    key += word;
    return key;
}

// The file has no escape for a quote or a line break: such a text would come back as other
// words. A NUL or a lone surrogate would come back changed, so a later delete would miss it.
bool storable(std::u16string_view text) {
    return text.find(u'"') == std::u16string_view::npos && core::isStorableLine(text);
}

// Fields of a data line after "#dat": the id, then its words.
void readDataLine(std::u16string_view line, std::vector<std::u16string>* fields) {
    std::u16string field;
    std::ptrdiff_t end = core::getLineField(&field, line, 2);
    while (end >= 0) {
        fields->push_back(field);
        line.remove_prefix(static_cast<std::size_t>(end));
        end = core::getLineField(&field, line, 1);
    }
}

}  // namespace

WordList::WordList() { words_.reserve(1024); }

void WordList::setPath(std::u16string path) { path_ = std::move(path); }

std::u16string WordList::resolvedPath() const { return core::appFilePath(path_); }

bool WordList::isWordListUpdated() const {
    platform::FileTime now = 0;
    core::getFileWriteTime(&now, resolvedPath());
    return now != fileTime_;
}

bool WordList::appendEntry(std::u16string_view id, std::u16string_view word) {
    if (!keys_.insert(keyOf(id, word)).second) return false;
    words_.push_back(Word{std::u16string(id), std::u16string(word)});
    return true;
}

bool WordList::readFile(std::vector<Word>* words) const {
    std::vector<std::u16string> lines;
    if (path_.empty() || !platform::readTextLines(resolvedPath(), &lines)) return false;
    bool inBlock = false;
    std::vector<std::u16string> fields;
    for (const std::u16string& line : lines) {
        if (line.empty() || line[0] != u'#') continue;
        if (line == u"#start") {
            inBlock = true;
        } else if (line == u"#end") {
            break;
        } else if (inBlock && line.starts_with(u"#dat")) {
            fields.clear();
            readDataLine(line, &fields);
            for (std::size_t i = 1; i < fields.size(); ++i) words->push_back(Word{fields[0], fields[i]});
        }
    }
    return true;
}

bool WordList::loadWordList() {
    if (!isWordListUpdated()) return true;
    std::vector<Word> read;
    if (!readFile(&read)) {
        // Nothing replaced the words in memory, so their changes are still to be written.
        fileTime_ = 0;
        return false;
    }
    words_.clear();
    keys_.clear();
    for (const Word& entry : read) appendEntry(entry.id, entry.word);
    modified_ = false;
    core::getFileWriteTime(&fileTime_, resolvedPath());
    return true;
}

std::string WordList::fileBytes() const {
    std::u16string text = u"#start\r\n";
    std::size_t onLine = 0;
    const std::u16string* lineId = nullptr;
    for (const Word& entry : words_) {
        if (onLine > 0 && entry.id != *lineId) {
            text += u"\r\n";
            onLine = 0;
        }
        if (onLine == 0) {
            text += u"#dat\t\"" + entry.id + u"\" \"" + entry.word + u"\"";
            lineId = &entry.id;
            onLine = 1;
            continue;
        }
        text += u" \"" + entry.word + u"\"";
        if (++onLine == kWordsPerLine) {
            text += u"\r\n";
            onLine = 0;
        }
    }
    if (onLine > 0) text += u"\r\n";
    text += u"#end\r\n";
    return platform::encodeText(text, platform::TextEncoding::Utf8);
}

bool WordList::saveWordList() {
    if (isWordListUpdated()) {
        // Another writer changed the file: take its words and add ours again, so nothing of
        // either side is lost (a word deleted here but still in the file comes back).
        const std::vector<Word> mine = words_;
        const bool wasModified = modified_;
        if (loadWordList()) {
            for (const Word& entry : mine) {
                if (appendEntry(entry.id, entry.word)) modified_ = true;
            }
        } else {
            modified_ = wasModified;
        }
    }
    if (!modified_) return true;
    std::stable_sort(words_.begin(), words_.end(), [](const Word& a, const Word& b) { return a.id < b.id; });
    if (path_.empty() || !platform::writeFileAtomic(resolvedPath(), fileBytes())) return false;
    modified_ = false;
    core::getFileWriteTime(&fileTime_, resolvedPath());
    return true;
}

bool WordList::addWord(std::u16string_view id, std::u16string_view word) {
    if (!storable(id) || !storable(word) || !appendEntry(id, word)) return false;
    modified_ = true;
    return true;
}

void WordList::deleteWord(std::u16string_view id, std::u16string_view word) {
    if (keys_.erase(keyOf(id, word)) > 0) {
        std::erase_if(words_, [&](const Word& entry) { return entry.id == id && entry.word == word; });
    }
    modified_ = true;
}

}  // namespace tvr::stores
