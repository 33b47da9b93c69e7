// SPDX-License-Identifier: MIT
#pragma once
#include <string_view>

namespace tvr::platform {

/// Natural order as Explorer sorts names: case-insensitive (names differing only in case are
/// equal), digit runs compared by value.
/// Returns <0, 0 or >0. Windows: StrCmpLogicalW.
int naturalCompare(std::u16string_view a, std::u16string_view b);
/// The project's own comparator: naturalCompare where the OS has none, and on Windows the
/// reference the tests check against StrCmpLogicalW.
int portableNaturalCompare(std::u16string_view a, std::u16string_view b);

}  // namespace tvr::platform
