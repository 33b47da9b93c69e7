// SPDX-License-Identifier: MIT
#include "support/link_maze.h"

#include <filesystem>
#include <fstream>

#include "support/folder_link.h"

namespace tvr::test {

bool makeLinkMaze(const std::string& root, int levels) {
    auto level = [&root](int i) { return root + "/L" + std::to_string(i); };
    for (int i = 0; i <= levels; ++i) {
        std::filesystem::create_directories(level(i));
        std::ofstream(level(i) + "/v" + std::to_string(i) + ".mp4") << "x";
    }
    for (int i = 0; i < levels; ++i) {
        if (!makeFolderLink(level(i + 1), level(i) + "/x") || !makeFolderLink(level(i + 1), level(i) + "/y")) {
            return false;
        }
    }
    return makeFolderLink(root, level(levels) + "/up");
}

}  // namespace tvr::test
