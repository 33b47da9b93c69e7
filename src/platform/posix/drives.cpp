// SPDX-License-Identifier: MIT
// "Drives" on Linux: the root, the home folder and the file systems mounted where desktops and
// users mount removable and extra disks (/media, /mnt, /run/media), from /proc/self/mounts.
#include "platform/drives.h"

#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/fs.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace {

// /proc/self/mounts writes a space, tab, newline or backslash in a path as a 3-digit octal escape.
std::string unescapeMountPath(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i > 3) {
            int value = 0;
            bool octal = true;
            for (std::size_t k = 1; k <= 3; ++k) {
                char c = field[i + k];
                octal = octal && c >= '0' && c <= '7';
                value = value * 8 + (c - '0');
            }
            if (octal) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool isUnderMountFolder(std::string_view path) {
    for (std::string_view prefix : {"/media/", "/mnt/", "/run/media/"}) {
        if (path.size() > prefix.size() && path.starts_with(prefix)) return true;
    }
    return false;
}

std::u16string withSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return platform::fromUtf8(path);
}

std::u16string lastName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    std::size_t slash = path.rfind('/');
    return platform::fromUtf8(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::vector<Drive> listDrives() {
    std::vector<Drive> drives{Drive{u"/", u""}};
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/' && std::string_view(home) != "/" &&
        pathKind(platform::fromUtf8(home)) == PathKind::Folder) {
        drives.push_back(Drive{withSlash(home), lastName(home)});
    }
    std::string mounts;
    if (!readFileBytes(u"/proc/self/mounts", &mounts)) return drives;
    std::string_view rest(mounts);
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        // Fields: device, mount point, type, options, ...
        std::size_t first = line.find(' ');
        if (first == std::string_view::npos) continue;
        std::size_t second = line.find(' ', first + 1);
        std::string point = unescapeMountPath(line.substr(first + 1, second - first - 1));
        if (!isUnderMountFolder(point) || pathKind(platform::fromUtf8(point)) != PathKind::Folder) continue;
        Drive drive{withSlash(point), lastName(point)};
        bool seen = false;
        for (const Drive& known : drives) seen = seen || known.root == drive.root;
        if (!seen) drives.push_back(std::move(drive));
    }
    return drives;
}

}  // namespace tvr::platform
