// SPDX-License-Identifier: MIT
#pragma once
// Named pipes, device nodes and file modes for tests of where a download may be written; each OS
// makes them its own way, and Windows has none of them in the file system.
#include <string>

namespace tvr::test {

/// Makes a named pipe (FIFO) at the UTF-8 path; false where the OS cannot (Windows).
bool makeFifo(const std::string& path);
/// Makes a character device that discards what is written (as /dev/null) at the path; false
/// unless the process may (root on POSIX; never on Windows).
bool makeNullDevice(const std::string& path);
/// Whether the path itself (links not followed) is a character device.
bool isCharacterDevice(const std::string& path);
/// Sets the mask of the modes new files do not get and returns the old one; -1 where there is
/// none (Windows).
int setCreationMask(int mask);
/// The file's permission bits (links followed); -1 when it cannot be examined or has none.
int permissionBits(const std::string& path);

}  // namespace tvr::test
