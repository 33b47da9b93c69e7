// SPDX-License-Identifier: MIT
// The executable's own path and the user's configuration and Videos folders on Linux.
#include "platform/system_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"
#include "platform/posix/posix_util.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The XDG_VIDEOS_DIR line of user-dirs.dirs: a quoted path that is absolute or starts with
// "$HOME"; empty when the file has no usable entry.
std::string videosFromUserDirs(const std::string& file, const std::string& home) {
    std::string bytes;
    if (!readFileBytes(platform::fromUtf8(file), &bytes)) return {};
    constexpr std::string_view kKey = "XDG_VIDEOS_DIR=";
    std::string_view rest(bytes);
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = trimBlanks(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.starts_with(kKey)) continue;
        std::string_view value = line.substr(kKey.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        std::string path;
        if (value.starts_with("$HOME")) {
            if (home.empty()) return {};
            path = home + std::string(value.substr(5));
        } else if (value.starts_with("/")) {
            path = std::string(value);
        } else {
            return {};
        }
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        return path;
    }
    return {};
}

}  // namespace

namespace posix {

std::string homeFolder() {
    std::string home = environment("HOME");
    if (!home.empty()) return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

}  // namespace posix

namespace {

std::string configHomeFolder() {
    std::string configHome = environment("XDG_CONFIG_HOME");
    if (!configHome.empty() && configHome.front() == '/') return configHome;
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    std::string home = posix::homeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

}  // namespace

std::u16string executablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return platform::fromUtf8(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string userConfigFolder() { return platform::fromUtf8(configHomeFolder()); }

// Decided by the path rather than by whether the folder can be written: the server may run as
// root, who can write /usr/bin, and a package's program must still not keep settings there.
bool isInstalledProgramFolder(std::u16string_view folder) {
    return folder.ends_with(u"/usr/bin") || folder.ends_with(u"/usr/local/bin");
}

std::u16string_view installedDataFolderName() { return u"tamvikvr"; }

std::u16string userVideosFolder() {
    std::string home = posix::homeFolder();
    std::string configHome = configHomeFolder();
    if (!configHome.empty()) {
        std::string videos = videosFromUserDirs(configHome + "/user-dirs.dirs", home);
        if (!videos.empty()) return platform::fromUtf8(videos);
    }
    if (home.empty()) return {};
    return platform::fromUtf8(home + "/Videos");
}

}  // namespace tvr::platform
