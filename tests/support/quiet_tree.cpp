// SPDX-License-Identifier: MIT
#include "support/quiet_tree.h"

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/fs.h"
#include "platform/time.h"
#include "platform/utf.h"

namespace tvr::test {

namespace {

void setWriteTime(const std::filesystem::path& folder, platform::FileTime time) {
    platform::FileTimes times;
    times.write = time;
    platform::setFileTimes(platform::fromUtf8(folder.string()), times);
}

}  // namespace

void ageFolders(const std::string& root, int seconds) {
    const auto now =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch());
    const platform::FileTime time = platform::fileTimeFromUnix(now.count() - seconds, 0);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_directory() && !entry.is_symlink()) setWriteTime(entry.path(), time);
    }
    setWriteTime(root, time);
}

void makeQuietShows(const std::string& root, int shows, int videosPerShow) {
    for (int s = 0; s < shows; ++s) {
        const std::filesystem::path show = std::filesystem::path(root) / ("Show " + std::to_string(s));
        std::filesystem::create_directories(show);
        for (int i = 0; i < videosPerShow; ++i) std::ofstream(show / ("Episode " + std::to_string(i) + ".mp4"));
    }
    quietFolders(root);
}

}  // namespace tvr::test
