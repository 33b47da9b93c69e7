// SPDX-License-Identifier: MIT
#include "stores/marker_store.h"

#include <algorithm>
#include <limits>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/ini_file.h"
#include "platform/text_file.h"

namespace tvr::stores {

namespace {

constexpr std::u16string_view kMarkerExt = u".trm";

std::u16string baseNameOf(std::u16string_view path) { return core::SplitPath(path).name; }

std::u16string slotSection(int slot) { return core::format(u"ITRM.%d", {std::int64_t{slot}}); }

bool isExistingFile(std::u16string_view path) {
    int isFolder = 0;
    return core::GetPathState(path, &isFolder) != 0 && isFolder == 0;
}

bool lessByName(const SMARKERLIST& a, const SMARKERLIST& b) { return a.pcName < b.pcName; }

// Binary search of the sorted index for the exact base name.
template <typename Index>
auto findByName(Index& index, std::u16string_view baseName) -> decltype(index.data()) {
    auto it = std::lower_bound(
        index.begin(), index.end(), baseName,
        [](const SMARKERLIST& e, std::u16string_view name) { return std::u16string_view(e.pcName) < name; });
    if (it == index.end() || it->pcName != baseName) return nullptr;
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

bool hasEnabledSlot(const S_MARKER& marker) {
    return std::any_of(marker.slots.begin(), marker.slots.end(), [](const S_MARKER_SLOT& s) { return s.iEnable == 1; });
}

}  // namespace

std::u16string CMarkerStore::markerFileFor(std::u16string_view baseName) const {
    std::u16string file = folder_;
    core::AppendPath(file, baseName);
    file += kMarkerExt;
    return core::AppFilePath(file);
}

void CMarkerStore::ScanMarkerFolder(std::u16string_view folder) {
    if (scanned_ && folder == folder_) return;
    scanned_ = true;
    index_.clear();
    folder_.assign(folder);
    platform::enumerateFolder(folder_, [this](const platform::DirEntry& entry) {
        if (!entry.isFolder) {
            const core::SplitResult parts = core::SplitPath(entry.name);
            if (parts.ext == kMarkerExt) index_.push_back(SMARKERLIST{parts.name, 0, 0});
        }
        return true;
    });
    std::sort(index_.begin(), index_.end(), lessByName);
}

SMARKERLIST* CMarkerStore::FindMarkerEntry(std::u16string_view videoPath) {
    return findByName(index_, baseNameOf(videoPath));
}

int CMarkerStore::GetMarkerState(std::u16string_view videoPath) const {
    const SMARKERLIST* entry = findByName(index_, baseNameOf(videoPath));
    if (entry == nullptr) return 0;
    return entry->yChecked != 0 ? entry->yEnabled : 2;
}

int CMarkerStore::ResolveMarkerState(std::u16string_view videoPath) {
    SMARKERLIST* entry = FindMarkerEntry(videoPath);
    if (entry == nullptr) return 0;
    return entry->yChecked != 0 ? entry->yEnabled : CheckMarkerEntry(*entry);
}

int CMarkerStore::CheckMarkerEntry(SMARKERLIST& entry) {
    entry.yEnabled = 0;
    const std::u16string file = markerFileFor(entry.pcName);
    if (isExistingFile(file)) {
        for (int slot = 0; slot < 8; ++slot) {
            // Any non-zero flag counts when telling whether a file has markers.
            std::int64_t value = 0;
            if (readNumber(file, slotSection(slot), u"yEnable", &value) && value != 0) {
                entry.yEnabled = 1;
                break;
            }
        }
    }
    entry.yChecked = 1;
    return entry.yEnabled;
}

int CMarkerStore::SaveMarkerFile(const S_MARKER& marker) {
    const core::SplitResult parts = core::SplitPath(marker.pcPath);
    const std::u16string file = markerFileFor(parts.name);
    if (!isExistingFile(file) && !platform::createEmptyTextFile(file, platform::TextEncoding::Utf16Le)) return 0;

    bool written = true;
    if (parts.ext != kMarkerExt) written = platform::iniWriteString(file, u"MAIN", u"pcPath", marker.pcPath);
    for (int slot = 0; slot < 8 && written; ++slot) {
        const S_MARKER_SLOT& s = marker.slots[static_cast<std::size_t>(slot)];
        const std::u16string section = slotSection(slot);
        written = platform::iniWriteString(file, section, u"yEnable", core::format(u"%d", {std::int64_t{s.iEnable}})) &&
                  platform::iniWriteString(file, section, u"rtA", core::format(u"%I64d", {s.rtA})) &&
                  platform::iniWriteString(file, section, u"rtB", core::format(u"%I64d", {s.rtB}));
    }
    if (!written) {
        // The file may now hold part of the new set: its entry must be read again before use.
        if (SMARKERLIST* entry = FindMarkerEntry(marker.pcPath)) entry->yChecked = 0;
        return 0;
    }
    UpdateMarkerEntry(marker);
    return 1;
}

int CMarkerStore::LoadMarkerFile(S_MARKER& marker) {
    const std::u16string file = markerFileFor(baseNameOf(marker.pcPath));
    if (!isExistingFile(file)) return 0;
    for (int slot = 0; slot < 8; ++slot) {
        S_MARKER_SLOT& s = marker.slots[static_cast<std::size_t>(slot)];
        const std::u16string section = slotSection(slot);
        std::int64_t value = 0;
        if (readNumber(file, section, u"yEnable", &value)) s.iEnable = clampToInt32(value);
        if (readNumber(file, section, u"rtA", &value)) s.rtA = value;
        if (readNumber(file, section, u"rtB", &value)) s.rtB = value;
    }
    UpdateMarkerEntry(marker);
    return hasEnabledSlot(marker) ? 1 : 0;
}

void CMarkerStore::UpdateMarkerEntry(const S_MARKER& marker) {
    const std::uint8_t enabled = hasEnabledSlot(marker) ? 1 : 0;
    if (SMARKERLIST* entry = FindMarkerEntry(marker.pcPath)) {
        entry->yChecked = 1;
        entry->yEnabled = enabled;
        return;
    }
    // A file without enabled slots stays out of the index until the next scan.
    if (enabled == 0) return;
    SMARKERLIST added{baseNameOf(marker.pcPath), 1, 1};
    auto at = std::lower_bound(index_.begin(), index_.end(), added, lessByName);
    index_.insert(at, std::move(added));
}

int CMarkerStore::MoveMarkerFile(std::u16string_view newVideoPath, std::u16string_view oldVideoPath) {
    const std::u16string newName = baseNameOf(newVideoPath);
    const std::u16string oldName = baseNameOf(oldVideoPath);
    const std::u16string oldFile = markerFileFor(oldName);
    const std::u16string newFile = markerFileFor(newName);
    if (!isExistingFile(oldFile)) return 1;
    // A video moved to another folder under the same name keeps the very same marker file.
    if (oldFile == newFile) return 1;
    if (!platform::moveNoOverwrite(oldFile, newFile)) return 0;

    // An entry under the new name can only be stale now that its file did not exist.
    std::erase_if(index_, [&](const SMARKERLIST& e) { return e.pcName == newName; });
    for (auto& entry : index_) {
        if (entry.pcName == oldName) entry.pcName = newName;
    }
    std::sort(index_.begin(), index_.end(), lessByName);
    return 1;
}

std::u16string CMarkerStore::FormatMarkerText(const S_MARKER& marker) {
    std::u16string text;
    for (int slot = 0; slot < 8; ++slot) {
        const S_MARKER_SLOT& s = marker.slots[static_cast<std::size_t>(slot)];
        const std::int64_t n = slot;
        if (slot > 0) text += u',';
        text += core::format(u"<en.%d>%d,<a.%d>%I64d,<b.%d>%I64d", {n, std::int64_t{s.iEnable}, n, s.rtA, n, s.rtB});
    }
    return text;
}

}  // namespace tvr::stores
