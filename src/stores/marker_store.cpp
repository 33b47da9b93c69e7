// SPDX-License-Identifier: MIT
#include "stores/marker_store.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/ini_file.h"

namespace tvr::stores {

namespace {

constexpr std::u16string_view kMarkerExt = u".trm";

std::u16string baseNameOf(std::u16string_view path) { return core::splitPath(path).name; }

std::u16string slotSection(int slot) { return core::format(u"ITRM.%d", {std::int64_t{slot}}); }

bool isExistingFile(std::u16string_view path) {
    bool isFolder = false;
    return core::getPathState(path, &isFolder) && !isFolder;
}

bool lessByName(const MarkerIndexEntry& a, const MarkerIndexEntry& b) { return a.name < b.name; }

// Binary search of the sorted index for the exact base name.
template <typename Index>
auto findByName(Index& index, std::u16string_view baseName) -> decltype(index.data()) {
    auto it = std::lower_bound(
        index.begin(), index.end(), baseName,
        [](const MarkerIndexEntry& e, std::u16string_view name) { return std::u16string_view(e.name) < name; });
    if (it == index.end() || it->name != baseName) return nullptr;
    return &*it;
}

// Reads a key as "%d" would: true only when the text holds a number.
bool readNumber(const std::u16string& file, const std::u16string& section, std::u16string_view key,
                std::int64_t* value) {
    const std::u16string text = platform::iniReadString(file, section, key, u"");
    return !text.empty() && core::scanDecimal(text, value);
}

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

bool hasEnabledSlot(const MarkerRecord& marker) {
    return std::any_of(marker.slots.begin(), marker.slots.end(), [](const MarkerSlot& s) { return s.enabled == 1; });
}

}  // namespace

std::u16string MarkerStore::markerFileFor(std::u16string_view baseName) const {
    std::u16string file = folder_;
    core::appendPath(file, baseName);
    file += kMarkerExt;
    return core::appFilePath(file);
}

void MarkerStore::scanMarkerFolder(std::u16string_view folder) {
    if (scanned_ && folder == folder_) return;
    scanned_ = true;
    index_.clear();
    folder_.assign(folder);
    platform::enumerateFolder(folder_, [this](const platform::DirEntry& entry) {
        if (!entry.isFolder) {
            const core::SplitResult parts = core::splitPath(entry.name);
            if (parts.ext == kMarkerExt) index_.push_back(MarkerIndexEntry{parts.name, 0, 0});
        }
        return true;
    });
    std::sort(index_.begin(), index_.end(), lessByName);
}

MarkerIndexEntry* MarkerStore::findMarkerEntry(std::u16string_view videoPath) {
    return findByName(index_, baseNameOf(videoPath));
}

int MarkerStore::getMarkerState(std::u16string_view videoPath) const {
    const MarkerIndexEntry* entry = findByName(index_, baseNameOf(videoPath));
    if (entry == nullptr) return 0;
    return entry->checked != 0 ? entry->enabled : 2;
}

int MarkerStore::resolveMarkerState(std::u16string_view videoPath) {
    MarkerIndexEntry* entry = findMarkerEntry(videoPath);
    if (entry == nullptr) return 0;
    return entry->checked != 0 ? entry->enabled : checkMarkerEntry(*entry);
}

int MarkerStore::checkMarkerEntry(MarkerIndexEntry& entry) {
    entry.enabled = 0;
    const std::u16string file = markerFileFor(entry.name);
    if (isExistingFile(file)) {
        for (int slot = 0; slot < 8; ++slot) {
            // Any non-zero flag counts when telling whether a file has markers.
            std::int64_t value = 0;
            if (readNumber(file, slotSection(slot), u"yEnable", &value) && value != 0) {
                entry.enabled = 1;
                break;
            }
        }
    }
    entry.checked = 1;
    return entry.enabled;
}

bool MarkerStore::saveMarkerFile(const MarkerRecord& marker) {
    const core::SplitResult parts = core::splitPath(marker.path);
    const std::u16string file = markerFileFor(parts.name);

    // All keys go in one atomic replace: a crash leaves the old set or the new one, never a mix.
    std::deque<std::u16string> texts;  // grows without moving what the entries point at
    std::vector<platform::IniEntry> entries;
    entries.reserve(1 + 8 * 3);
    if (parts.ext != kMarkerExt) entries.push_back({u"MAIN", u"pcPath", marker.path});
    for (int slot = 0; slot < 8; ++slot) {
        const MarkerSlot& s = marker.slots[static_cast<std::size_t>(slot)];
        const std::u16string& section = texts.emplace_back(slotSection(slot));
        entries.push_back({section, u"yEnable", texts.emplace_back(core::format(u"%d", {std::int64_t{s.enabled}}))});
        entries.push_back({section, u"rtA", texts.emplace_back(core::format(u"%I64d", {s.pointA}))});
        entries.push_back({section, u"rtB", texts.emplace_back(core::format(u"%I64d", {s.pointB}))});
    }
    if (!platform::iniWriteStrings(file, entries)) return false;
    updateMarkerEntry(marker);
    return true;
}

int MarkerStore::loadMarkerFile(MarkerRecord& marker) {
    const std::u16string file = markerFileFor(baseNameOf(marker.path));
    if (!isExistingFile(file)) return 0;
    for (int slot = 0; slot < 8; ++slot) {
        MarkerSlot& s = marker.slots[static_cast<std::size_t>(slot)];
        const std::u16string section = slotSection(slot);
        std::int64_t value = 0;
        if (readNumber(file, section, u"yEnable", &value)) s.enabled = clampToInt32(value);
        if (readNumber(file, section, u"rtA", &value)) s.pointA = value;
        if (readNumber(file, section, u"rtB", &value)) s.pointB = value;
    }
    updateMarkerEntry(marker);
    return hasEnabledSlot(marker) ? 1 : 0;
}

void MarkerStore::updateMarkerEntry(const MarkerRecord& marker) {
    const std::uint8_t enabled = hasEnabledSlot(marker) ? 1 : 0;
    if (MarkerIndexEntry* entry = findMarkerEntry(marker.path)) {
        entry->checked = 1;
        entry->enabled = enabled;
        return;
    }
    // A file without enabled slots stays out of the index until the next scan.
    if (enabled == 0) return;
    MarkerIndexEntry added{baseNameOf(marker.path), 1, 1};
    auto at = std::lower_bound(index_.begin(), index_.end(), added, lessByName);
    index_.insert(at, std::move(added));
}

bool MarkerStore::moveMarkerFile(std::u16string_view newVideoPath, std::u16string_view oldVideoPath) {
    const std::u16string newName = baseNameOf(newVideoPath);
    const std::u16string oldName = baseNameOf(oldVideoPath);
    const std::u16string oldFile = markerFileFor(oldName);
    const std::u16string newFile = markerFileFor(newName);
    if (!isExistingFile(oldFile)) return true;
    // A video moved to another folder under the same name keeps the very same marker file.
    if (oldFile == newFile) return true;
    if (!platform::moveNoOverwrite(oldFile, newFile)) return false;

    // An entry under the new name can only be stale now that its file did not exist.
    std::erase_if(index_, [&](const MarkerIndexEntry& e) { return e.name == newName; });
    for (auto& entry : index_) {
        if (entry.name == oldName) entry.name = newName;
    }
    std::sort(index_.begin(), index_.end(), lessByName);
    return true;
}

}  // namespace tvr::stores
