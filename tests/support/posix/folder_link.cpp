// SPDX-License-Identifier: MIT
#include "support/folder_link.h"

#include <filesystem>
#include <system_error>

namespace tvr::test {

bool makeFolderLink(const std::string& target, const std::string& link) {
    std::error_code error;
    std::filesystem::create_directory_symlink(target, link, error);
    return !error;
}

bool makeFileLink(const std::string& target, const std::string& link) {
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
}

}  // namespace tvr::test
