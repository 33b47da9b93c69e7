// SPDX-License-Identifier: MIT
// Windows keeps no named pipes, device nodes or POSIX modes in the file system.
#include "support/special_files.h"

namespace tvr::test {

bool makeFifo(const std::string&) { return false; }

bool makeNullDevice(const std::string&) { return false; }

bool isCharacterDevice(const std::string&) { return false; }

int setCreationMask(int) { return -1; }

int permissionBits(const std::string&) { return -1; }

}  // namespace tvr::test
