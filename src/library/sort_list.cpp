// SPDX-License-Identifier: MIT
#include "library/sort_list.h"

#include <algorithm>

#include "platform/natural_compare.h"
#include "platform/time.h"

namespace tvr::library {

namespace {

// Records sorted at once before the merges; a step of the sort compares at most about as many
// pairs as there are records.
constexpr std::size_t kRunLength = 32;

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

void setTimeKeys(SortRecord& record, platform::FileTime writeTime) {
    platform::LocalTime local;
    if (writeTime != 0 && platform::fileTimeToLocal(writeTime, &local)) {
        record.dateKey = std::int64_t{local.year} * 10000 + local.month * 100 + local.day;
        record.dateTimeKey = record.dateKey * 1000000 + local.hour * 10000 + local.minute * 100 + local.second;
    }
}

}  // namespace

void SortList::add(std::u16string name, platform::FileTime writeTime) {
    SortRecord& record = records_.emplace_back();
    record.name = std::move(name);
    setTimeKeys(record, writeTime);
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

bool SortList::sort(std::int32_t sortName, std::int32_t sortMode, std::int32_t sortMode2nd,
                    const std::function<bool()>& abandoned) {
    sortKey_ = sortName;
    firstDirection_ = sortMode != 0 ? 1 : -1;
    secondDirection_ = sortMode2nd != 0 ? 1 : -1;
    if (sortKey_ < kSortByName || sortKey_ > kSortByGroup) {
        return true;  // any other key keeps the enumeration order
    }
    // Short runs, then merges of ever longer runs, with a question between two steps: a name
    // comparison can be slow (Wine's StrCmpLogicalW sorts 2,000 long names in about a second),
    // and a stop must not wait for the whole sort.
    const auto less = [this](const SortRecord& a, const SortRecord& b) { return comesFirst(a, b); };
    const auto at = [this](std::size_t index) { return records_.begin() + static_cast<std::ptrdiff_t>(index); };
    const std::size_t count = records_.size();
    for (std::size_t begin = 0; begin < count; begin += kRunLength) {
        if (abandoned && abandoned()) return false;
        std::stable_sort(at(begin), at(std::min(count, begin + kRunLength)), less);
    }
    for (std::size_t width = kRunLength; width < count; width *= 2) {
        for (std::size_t begin = 0; begin + width < count; begin += 2 * width) {
            if (abandoned && abandoned()) return false;
            std::inplace_merge(at(begin), at(begin + width), at(std::min(count, begin + 2 * width)), less);
        }
    }
    return true;
}

bool SortList::group(const std::function<bool()>& abandoned) {
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
    return sort(kSortByGroup, 1, 1, abandoned);
}

void SortList::settleNameTies(const std::function<platform::FileTime(const std::u16string&)>& writeTimeOf) {
    // Equal names sit side by side in their added order; ordering each such run by time alone
    // gives what the whole sort gives with every time known.
    const auto at = [this](std::size_t index) { return records_.begin() + static_cast<std::ptrdiff_t>(index); };
    for (std::size_t begin = 0; begin < records_.size();) {
        std::size_t end = begin + 1;
        while (end < records_.size() && compareNames(records_[begin], records_[end]) == 0) ++end;
        if (end - begin > 1) {
            for (std::size_t i = begin; i < end; ++i) setTimeKeys(records_[i], writeTimeOf(records_[i].name));
            std::stable_sort(at(begin), at(end),
                             [this](const SortRecord& a, const SortRecord& b) { return comesFirst(a, b); });
        }
        begin = end;
    }
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
