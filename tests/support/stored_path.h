// SPDX-License-Identifier: MIT
#pragma once
// Paths as the server stores them: with '\' where the OS takes it as a separator.
#include <string>

#include "platform/fs.h"

namespace tvr::test {

/// The path with every '/' turned into '\' on Windows, unchanged elsewhere.
inline std::u16string storedPath(std::u16string path) {
    if (platform::backslashIsSeparator()) {
        for (char16_t& c : path) {
            if (c == u'/') c = u'\\';
        }
    }
    return path;
}

}  // namespace tvr::test
