// SPDX-License-Identifier: MIT
#pragma once
// A folder tree whose links stand in for "/" with /proc in it: each level links twice to the
// next one and the last links back to the root, so a walk that only refuses its own ancestors
// meets 2^levels paths. Every level holds one video, "v<level>.mp4".
#include <string>

namespace tvr::test {

/// Makes the maze in root (which must exist); false when the OS refuses folder links.
bool makeLinkMaze(const std::string& root, int levels);

}  // namespace tvr::test
