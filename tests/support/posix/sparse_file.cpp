// SPDX-License-Identifier: MIT
#include "support/sparse_file.h"

#include <fcntl.h>
#include <unistd.h>

namespace tvr::test {

bool makeSparseFile(const std::string& path, std::uint64_t bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool sized = ::ftruncate(fd, static_cast<off_t>(bytes)) == 0;
    return ::close(fd) == 0 && sized;
}

}  // namespace tvr::test
