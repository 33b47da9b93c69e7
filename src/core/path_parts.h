// SPDX-License-Identifier: MIT
#pragma once
// Raw path parts shared by the path helpers (not part of the core interface).
#include <string_view>

namespace tvr::core {

/// Drive ("C:"), directory with its trailing separator, file name and extension with its dot.
struct PathParts {
    std::u16string_view drive;
    std::u16string_view dir;
    std::u16string_view name;
    std::u16string_view ext;
};

/// True for "\" and "/".
bool isSeparator(char16_t c);
/// Splits the path into views of it.
PathParts splitParts(std::u16string_view path);
/// True when the path starts with a separator or a drive.
bool isAbsolutePath(std::u16string_view path);

}  // namespace tvr::core
