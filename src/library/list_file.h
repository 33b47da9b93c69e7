// SPDX-License-Identifier: MIT
#pragma once
// The search list and the favourites list (".vrl" files): load, add, save, and noticing edits
// made on the PC since the system last read, wrote or listed the file.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/fs.h"

namespace tvr::library {

enum ListKind : std::int32_t { kSearchList = 0, kFavoriteList = 1 };

struct ListFileEntry {
    std::u16string path;  // as added
    std::u16string name;  // file name with extension
};

class ListFile {
public:
    /// Binds to a channel: number, kind, path = resolveDataFile(setting); empties the list.
    void bind(std::int32_t channel, std::int32_t kind, std::u16string_view settingPath);
    /// Appends an entry; false (list unchanged) when the path is no storable line or memory runs out.
    bool add(std::u16string_view path);
    /// add, except that the favourites list skips a name with extension it already holds.
    bool addUnique(std::u16string_view path);
    /// Appends the file's path lines ("\" turned into "/"); false when the file cannot be opened.
    bool load();
    /// Writes "#name (Search)" or "#name (Favorite)", the paths and "#end"; false (nothing written)
    /// when it cannot write or an entry is no storable line.
    bool save();
    /// True when the file's last-write time differs from the remembered one.
    bool hasChangedOnDisk() const;
    /// Remembers the file's current last-write time.
    void rememberFileTime();
    /// Empties the list in memory.
    void clear() {
        entries_.clear();
        names_.clear();
    }

    std::int32_t channel() const { return channel_; }
    std::int32_t kind() const { return kind_; }
    const std::u16string& path() const { return path_; }
    const std::vector<ListFileEntry>& entries() const { return entries_; }

private:
    bool append(std::u16string_view path, std::u16string name);

    std::u16string path_;
    std::int32_t channel_ = 9;
    std::int32_t kind_ = kFavoriteList;
    platform::FileTime fileTime_ = 0;
    std::vector<ListFileEntry> entries_;
    std::unordered_set<std::u16string> names_;  // every entry's name, so a favourite is looked up at once
};

/// The largest list file any reader takes; a larger one is refused whole. A playlist of 100,000
/// long paths is about 20 MiB.
inline constexpr std::uint64_t kMaxListFileBytes = 64ULL * 1024 * 1024;

/// Reads a list file's lines (bare names beside the executable), empty lines skipped, each
/// line whole; kTooLarge (nothing read) for a file over kMaxListFileBytes.
platform::ReadStatus readListFile(std::u16string_view path, std::vector<std::u16string>* lines);
/// readListFile; false when the file cannot be opened or is too large.
bool readListLines(std::u16string_view path, std::vector<std::u16string>* lines);
/// The "#name" of a list file: true when found with a second field; name "***" when none.
bool getListName(std::u16string* name, std::u16string_view listPath);

}  // namespace tvr::library
