// SPDX-License-Identifier: MIT
// POSIX has no shell comparator, so natural order is the project's own.
#include "platform/natural_compare.h"

namespace tvr::platform {

int naturalCompare(std::u16string_view a, std::u16string_view b) { return portableNaturalCompare(a, b); }

}  // namespace tvr::platform
