// SPDX-License-Identifier: MIT
#pragma once
// Per-video A/B markers: one UTF-16LE INI file "<base name>.trm" per video in the marker folder,
// and a sorted in-memory index of those files so listings get each video's state without I/O.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::stores {

struct MarkerSlot {
    std::int32_t enabled = 0;
    std::int64_t pointA = 0;
    std::int64_t pointB = 0;
};

struct MarkerRecord {
    std::u16string path;
    std::array<MarkerSlot, 8> slots{};
};

struct MarkerIndexEntry {
    std::u16string name;
    std::uint8_t enabled = 0;
    std::uint8_t checked = 0;
};

class MarkerStore {
public:
    /// Rebuilds the index for the folder; nothing when it is the current folder.
    void scanMarkerFolder(std::u16string_view folder);
    /// The index entry for the path's base name, or nullptr.
    MarkerIndexEntry* findMarkerEntry(std::u16string_view videoPath);
    /// 0, 1 or 2 (marker file not read yet), reading no file.
    int getMarkerState(std::u16string_view videoPath) const;
    /// 0 or 1, reading the marker file once when its entry is unchecked.
    int resolveMarkerState(std::u16string_view videoPath);
    /// Reads the entry's file; returns its new enabled.
    int checkMarkerEntry(MarkerIndexEntry& entry);
    /// Writes the marker file; false when it cannot be created.
    bool saveMarkerFile(const MarkerRecord& marker);
    /// Reads the marker file into marker; 1 when some slot has enabled 1.
    int loadMarkerFile(MarkerRecord& marker);
    /// Renames the marker file with its video; false when the rename is refused.
    bool moveMarkerFile(std::u16string_view newVideoPath, std::u16string_view oldVideoPath);

    const std::u16string& folder() const { return folder_; }
    const std::vector<MarkerIndexEntry>& index() const { return index_; }

private:
    std::u16string markerFileFor(std::u16string_view baseName) const;
    void updateMarkerEntry(const MarkerRecord& marker);

    std::u16string folder_;
    bool scanned_ = false;
    std::vector<MarkerIndexEntry> index_;
};

}  // namespace tvr::stores
