// SPDX-License-Identifier: MIT
#pragma once
// Symbolic links, for tests of link loops and of files that only look like ours; each OS makes
// them its own way.
#include <string>

namespace tvr::test {

/// Makes `link` a symbolic link to the folder `target` (UTF-8 paths); false when the OS refuses
/// (Windows without the privilege or developer mode).
bool makeFolderLink(const std::string& target, const std::string& link);
/// Makes `link` a symbolic link to the file `target`; false when the OS refuses.
bool makeFileLink(const std::string& target, const std::string& link);

}  // namespace tvr::test
