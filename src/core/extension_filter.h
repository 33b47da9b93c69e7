// SPDX-License-Identifier: MIT
#pragma once
// The video extension table built from the extensions setting ("mp4 avi flv"): one lower-cased
// ".ext" entry per space-separated token, empty tokens included.
#include <string>
#include <string_view>
#include <vector>

namespace tvr::core {

class ExtensionTable {
public:
    /// Replaces the table with the tokens of the setting text.
    void build(std::u16string_view setting);
    /// True when the path's last extension, lower-cased, is in the table.
    bool isAccepted(std::u16string_view path) const;
    const std::vector<std::u16string>& entries() const { return entries_; }

private:
    std::vector<std::u16string> entries_;
};

}  // namespace tvr::core
