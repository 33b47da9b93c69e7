// SPDX-License-Identifier: MIT
#pragma once
// Where a channel listing goes, in order: the channel's root, then each folder with its depth
// and its video files, then the number of files listed. The control connection turns it into
// the headset's messages; tests record it.
#include <cstdint>
#include <string_view>

namespace tvr::library {

class ListingSink {
public:
    virtual ~ListingSink() = default;
    /// The folder or list file the channel resolves to; comes first.
    virtual void root(std::u16string_view path) = 0;
    /// A folder entered at this depth (0: a folder the channel names itself).
    virtual void folder(int depth, std::u16string_view path) = 0;
    /// Opens a run of files; a run may be empty.
    virtual void beginFiles() = 0;
    /// One video file of the open run with its marker state.
    virtual void addFile(std::uint16_t marker, std::u16string_view folder, std::u16string_view name) = 0;
    /// Closes the open run.
    virtual void endFiles() = 0;
    /// The listing is complete: this many files were listed.
    virtual void end(std::int64_t count) = 0;
    /// True when nobody waits for the listing any more: it ends early. Cheap enough to ask
    /// between two folder entries.
    virtual bool abandoned() = 0;
};

}  // namespace tvr::library
