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

struct S_MARKER_SLOT {
    std::int32_t iEnable = 0;
    std::int64_t rtA = 0;
    std::int64_t rtB = 0;
};

struct S_MARKER {
    std::u16string pcPath;
    std::array<S_MARKER_SLOT, 8> slots{};
};

struct SMARKERLIST {
    std::u16string pcName;
    std::uint8_t yEnabled = 0;
    std::uint8_t yChecked = 0;
};

class CMarkerStore {
public:
    /// Rebuilds the index for the folder; nothing when it is the current folder.
    void ScanMarkerFolder(std::u16string_view folder);
    /// The index entry for the path's base name, or nullptr.
    SMARKERLIST* FindMarkerEntry(std::u16string_view videoPath);
    /// 0, 1 or 2 (marker file not read yet), reading no file.
    int GetMarkerState(std::u16string_view videoPath) const;
    /// 0 or 1, reading the marker file once when its entry is unchecked.
    int ResolveMarkerState(std::u16string_view videoPath);
    /// Reads the entry's file; returns its new yEnabled.
    int CheckMarkerEntry(SMARKERLIST& entry);
    /// Writes the marker file; 0 when it cannot be created.
    int SaveMarkerFile(const S_MARKER& marker);
    /// Reads the marker file into marker; 1 when some slot has iEnable 1.
    int LoadMarkerFile(S_MARKER& marker);
    /// Renames the marker file with its video; 0 when the rename is refused.
    int MoveMarkerFile(std::u16string_view newVideoPath, std::u16string_view oldVideoPath);

    const std::u16string& folder() const { return folder_; }
    const std::vector<SMARKERLIST>& index() const { return index_; }

    /// The marker text "<en.0>%d,<a.0>%I64d,<b.0>%I64d,..." of all eight slots.
    static std::u16string FormatMarkerText(const S_MARKER& marker);

private:
    std::u16string markerFileFor(std::u16string_view baseName) const;
    void UpdateMarkerEntry(const S_MARKER& marker);

    std::u16string folder_;
    bool scanned_ = false;
    std::vector<SMARKERLIST> index_;
};

}  // namespace tvr::stores
