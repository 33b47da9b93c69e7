// SPDX-License-Identifier: MIT
#pragma once
// Collects one folder's video files and orders them by name, date-time, date or series group,
// each ascending or descending with a second key, then gathers numbered series ("Title#1").
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fs.h"

namespace tvr::library {

enum SortKey : std::int32_t { SORT_BY_NAME = 0, SORT_BY_TIME = 1, SORT_BY_DATE = 2, SORT_BY_GROUP = 3 };

struct S_SORTW {
    std::u16string name;
    std::int64_t dateKey = 0;      // yyyymmdd in local time
    std::int64_t dateTimeKey = 0;  // yyyymmddhhmmss in local time
    std::int32_t groupId = 0;
};

class CSortList {
public:
    /// Empties the records, keeping their capacity.
    void Clear() { records_.clear(); }
    /// Appends a record; time 0 gives both keys 0.
    void Add(std::u16string name, platform::FileTime writeTime = 0);
    /// Orders the records by the key and directions (any non-zero mode is ascending).
    void Sort(std::int32_t sortName, std::int32_t sortMode, std::int32_t sortMode2nd);
    /// Gathers series members at their first member's place, ascending inside each series.
    void Group();
    std::size_t Count() const { return records_.size(); }
    const S_SORTW& Get(std::size_t index) const { return records_[index]; }

private:
    bool comesFirst(const S_SORTW& a, const S_SORTW& b) const;

    std::int32_t sortKey_ = 0;
    int firstDirection_ = 1;
    int secondDirection_ = 1;
    std::vector<S_SORTW> records_;
    std::vector<std::size_t> groups_;  // representative record index per open group
};

/// Sorts sub-folder names ascending in natural order.
void SortFolderNames(std::vector<std::u16string>& names);

}  // namespace tvr::library
