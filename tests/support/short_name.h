// SPDX-License-Identifier: MIT
#pragma once
// Windows only: the 8.3 short name the file system gave an existing file, for the tests of
// names that open another file than their spelling says.
#include <string>
#include <string_view>

namespace tvr::test {

/// The path with its short names (GetShortPathNameW, '\' between folders); empty when it has
/// none, or the same text when the volume makes no short names.
std::u16string shortPath(std::u16string_view path);

}  // namespace tvr::test
