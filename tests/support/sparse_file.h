// SPDX-License-Identifier: MIT
#pragma once
// Large files that take no disk space, for the readers that must refuse them unread.
#include <cstdint>
#include <string>

namespace tvr::test {

/// Makes `path` (UTF-8) a sparse file of `bytes` bytes, replacing a file there; false when the
/// system refuses.
bool makeSparseFile(const std::string& path, std::uint64_t bytes);

}  // namespace tvr::test
