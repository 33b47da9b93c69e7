// SPDX-License-Identifier: MIT
#pragma once
// The headset's word list: words grouped under ids, kept in memory and in one UTF-8 file that
// other programs may change too; a save first merges a file changed since it was last seen.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/fs.h"

namespace tvr::stores {

struct Word {
    std::u16string id;
    std::u16string word;
};

class WordList {
public:
    WordList();

    /// Sets the file (a bare name lies beside the executable); the words in memory stay.
    void setPath(std::u16string path);
    const std::u16string& path() const { return path_; }

    /// Reads the file when its write time changed since the last load or save; false when it cannot be read.
    bool loadWordList();
    /// Merges a changed file, then writes the list if it holds changes; false (still changed) when it cannot.
    bool saveWordList();
    /// Appends the pair; false when present, or when the id or word holds a double quote or a line break.
    bool addWord(std::u16string_view id, std::u16string_view word);
    /// Removes every entry with this id and word, and marks the list changed even when none was there.
    void deleteWord(std::u16string_view id, std::u16string_view word);
    /// True when the file's write time differs from the one of the last load or save.
    bool isWordListUpdated() const;
    /// True while the list holds changes the file does not.
    bool isModified() const { return modified_; }

    /// Number of entries.
    std::size_t size() const { return words_.size(); }
    /// The entry at index (below size()).
    const Word& at(std::size_t index) const { return words_[index]; }

private:
    bool appendEntry(std::u16string_view id, std::u16string_view word);
    bool readFile(std::vector<Word>* words) const;
    std::string fileBytes() const;
    std::u16string resolvedPath() const;

    std::u16string path_;
    std::vector<Word> words_;
    std::unordered_set<std::u16string> keys_;  // id, NUL, word: duplicate checks without a scan
    bool modified_ = false;
    platform::FileTime fileTime_ = 0;
};

}  // namespace tvr::stores
