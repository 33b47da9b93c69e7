// SPDX-License-Identifier: MIT
#include "support/special_files.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace tvr::test {

bool makeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

bool makeNullDevice(const std::string& path) {
    // The numbers of /dev/null, so the node behaves like it without being it.
    return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

bool isCharacterDevice(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

int setCreationMask(int mask) { return static_cast<int>(::umask(static_cast<mode_t>(mask))); }

int permissionBits(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

}  // namespace tvr::test
