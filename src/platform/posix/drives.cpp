// SPDX-License-Identifier: MIT
// The browsable places of a Linux machine, read from the mount table.
#include "platform/drives.h"

#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"
#include "platform/posix/mount_table.h"
#include "platform/posix/posix_util.h"
#include "platform/utf.h"

namespace tvr::platform {

namespace posix {

// The mount table writes blanks, tabs, new lines and backslashes in paths as "\ooo".
std::string unescapeMountPath(std::string_view field) {
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            std::string_view digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string_view::npos) {
                path += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) | (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        path += field[i];
    }
    return path;
}

namespace {

constexpr std::string_view kRemovablePlaces[] = {"/media", "/mnt", "/run/media"};

bool isUnder(std::string_view path, std::string_view place) {
    return path == place || (path.starts_with(place) && path.size() > place.size() && path[place.size()] == '/');
}

std::string_view lastFolderName(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

void addPlace(std::vector<DriveInfo>& drives, std::string path, std::string_view label) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path.empty() || path.front() != '/') return;
    if (path != "/") path += '/';
    std::u16string root = fromUtf8(path);
    for (const DriveInfo& known : drives)
        if (known.root == root) return;
    drives.push_back(DriveInfo{std::move(root), fromUtf8(label)});
}

}  // namespace

std::vector<DriveInfo> drivesFromMounts(std::string_view mounts, std::string_view home) {
    std::vector<DriveInfo> drives;
    addPlace(drives, "/", "File system");
    if (!home.empty()) addPlace(drives, std::string(home), "Home");
    while (!mounts.empty()) {
        std::size_t end = mounts.find('\n');
        std::string_view line = mounts.substr(0, end);
        mounts = end == std::string_view::npos ? std::string_view() : mounts.substr(end + 1);
        // Fields: device, mount point, type, options, ...
        std::size_t first = line.find(' ');
        if (first == std::string_view::npos) continue;
        std::string_view rest = line.substr(first + 1);
        std::string path = unescapeMountPath(rest.substr(0, rest.find(' ')));
        for (std::string_view place : kRemovablePlaces) {
            if (isUnder(path, place)) {
                std::string trimmed = path;
                while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
                addPlace(drives, trimmed, lastFolderName(trimmed));
                break;
            }
        }
    }
    return drives;
}

}  // namespace posix

std::vector<DriveInfo> listDrives() {
    std::string mounts;
    // Without a mount table the root and the home folder are still offered.
    readFileBytes(u"/proc/self/mounts", &mounts);
    std::vector<DriveInfo> drives = posix::drivesFromMounts(mounts, posix::homeFolder());
    std::vector<DriveInfo> readable;
    // A place that cannot be read now (a stale mount, a home folder that is gone) gets no row,
    // as a drive without a medium gets none on Windows.
    for (DriveInfo& drive : drives) {
        if (pathKind(drive.root) == PathKind::Folder) readable.push_back(std::move(drive));
    }
    return readable;
}

}  // namespace tvr::platform
