// SPDX-License-Identifier: MIT
#pragma once
// Collects one folder's video files and orders them by name, date-time, date or series group,
// each ascending or descending with a second key, then gathers numbered series ("Title#1").
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/fs.h"

namespace tvr::library {

enum SortKey : std::int32_t { kSortByName = 0, kSortByTime = 1, kSortByDate = 2, kSortByGroup = 3 };

struct SortRecord {
    std::u16string name;
    std::int64_t dateKey = 0;      // yyyymmdd in local time
    std::int64_t dateTimeKey = 0;  // yyyymmddhhmmss in local time
    std::int32_t groupId = 0;
};

class SortList {
public:
    /// Empties the records, keeping their capacity.
    void clear() { records_.clear(); }
    /// Appends a record; time 0 gives both keys 0.
    void add(std::u16string name, platform::FileTime writeTime = 0);
    /// Orders the records by the key and directions (any non-zero mode is ascending); false,
    /// with the records in no particular order, when abandoned() said so between two steps.
    bool sort(std::int32_t sortName, std::int32_t sortMode, std::int32_t sortMode2nd,
              const std::function<bool()>& abandoned = {});
    /// Gathers series members at their first member's place, ascending inside each series;
    /// false as sort() when abandoned.
    bool group(const std::function<bool()>& abandoned = {});
    /// After a name sort of records added without times: the records whose names compare equal
    /// get their times from writeTimeOf and are ordered by them, as a sort that had every time.
    void settleNameTies(const std::function<platform::FileTime(const std::u16string&)>& writeTimeOf);
    std::size_t count() const { return records_.size(); }
    const SortRecord& get(std::size_t index) const { return records_[index]; }

private:
    bool comesFirst(const SortRecord& a, const SortRecord& b) const;

    std::int32_t sortKey_ = 0;
    int firstDirection_ = 1;
    int secondDirection_ = 1;
    std::vector<SortRecord> records_;
    std::vector<std::size_t> groups_;  // representative record index per open group
};

/// True when the key orders by the files' times; a name sort needs them only for names that
/// compare equal.
inline bool sortNeedsTimes(std::int32_t sortName) { return sortName == kSortByTime || sortName == kSortByDate; }

/// Sorts sub-folder names ascending in natural order; names differing only in case by code unit.
void sortFolderNames(std::vector<std::u16string>& names);

}  // namespace tvr::library
