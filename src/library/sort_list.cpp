// SPDX-License-Identifier: MIT
#include "library/sort_list.h"

#include <algorithm>

#include "platform/natural_compare.h"
#include "platform/time.h"

namespace tvr::library {

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

// Three-way comparison without the overflow of a subtraction.
int compareKeys(std::int64_t a, std::int64_t b) { return (a > b) - (a < b); }

int compareNames(const SortRecord& a, const SortRecord& b) { return sign(platform::naturalCompare(a.name, b.name)); }

// A series member is a name with a '#' directly followed by a decimal digit; the prefix is
// everything before the first '#'. Returns the prefix length, or -1 for a plain name.
std::ptrdiff_t seriesPrefixLength(const std::u16string& name) {
    const std::size_t hash = name.find(u'#');
    if (hash == std::u16string::npos || hash + 1 >= name.size()) {
        return -1;
    }
    const char16_t next = name[hash + 1];
    if (next < u'0' || next > u'9') {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(hash);
}

// The representative and the member share their first k characters exactly.
bool samePrefix(const std::u16string& representative, const std::u16string& member, std::size_t k) {
    return representative.size() >= k && representative.compare(0, k, member, 0, k) == 0;
}

}  // namespace

void SortList::add(std::u16string name, platform::FileTime writeTime) {
    SortRecord& record = records_.emplace_back();
    record.name = std::move(name);
    platform::LocalTime local;
    if (writeTime != 0 && platform::fileTimeToLocal(writeTime, &local)) {
        record.dateKey = std::int64_t{local.year} * 10000 + local.month * 100 + local.day;
        record.dateTimeKey = record.dateKey * 1000000 + local.hour * 10000 + local.minute * 100 + local.second;
    }
}

bool SortList::comesFirst(const SortRecord& a, const SortRecord& b) const {
    int first = 0;
    int second = 0;
    switch (sortKey_) {
        case kSortByName:
            first = compareNames(a, b);
            if (first == 0) {
                second = compareKeys(a.dateTimeKey, b.dateTimeKey);
            }
            break;
        case kSortByTime:
            first = compareKeys(a.dateTimeKey, b.dateTimeKey);
            if (first == 0) {
                second = compareNames(a, b);
            }
            break;
        case kSortByDate:
            first = compareKeys(a.dateKey, b.dateKey);
            if (first == 0) {
                second = compareNames(a, b);
            }
            break;
        case kSortByGroup:
            first = compareKeys(a.groupId, b.groupId);
            if (first == 0) {
                second = compareNames(a, b);
            }
            break;
        default:
            return false;
    }
    if (first != 0) {
        return first * firstDirection_ < 0;
    }
    return second * secondDirection_ < 0;
}

void SortList::sort(std::int32_t sortName, std::int32_t sortMode, std::int32_t sortMode2nd) {
    sortKey_ = sortName;
    firstDirection_ = sortMode != 0 ? 1 : -1;
    secondDirection_ = sortMode2nd != 0 ? 1 : -1;
    if (sortKey_ < kSortByName || sortKey_ > kSortByGroup) {
        return;  // any other key keeps the enumeration order
    }
    std::sort(records_.begin(), records_.end(),
              [this](const SortRecord& a, const SortRecord& b) { return comesFirst(a, b); });
}

void SortList::group() {
    groups_.clear();
    std::int32_t counter = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        SortRecord& record = records_[i];
        const std::ptrdiff_t prefix = seriesPrefixLength(record.name);
        if (prefix >= 0) {
            const auto k = static_cast<std::size_t>(prefix);
            const auto group = std::find_if(groups_.begin(), groups_.end(), [&](std::size_t representative) {
                return samePrefix(records_[representative].name, record.name, k);
            });
            if (group != groups_.end()) {
                record.groupId = records_[*group].groupId;
                continue;
            }
            groups_.push_back(i);
        }
        record.groupId = counter++;
    }
    sort(kSortByGroup, 1, 1);
}

void sortFolderNames(std::vector<std::u16string>& names) {
    // Folders have no second key; code units order names that differ only in case, so the
    // listing is the same every time.
    std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        const int order = platform::naturalCompare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

}  // namespace tvr::library
