// SPDX-License-Identifier: MIT
// The kernel's pseudo file systems, which a walk for videos leaves out: /proc alone links every
// process's working folder and root back to the whole tree; and the network shares, where a walk
// reads ahead from its first folder.
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"
#include "platform/posix/mount_table.h"

namespace tvr::platform {

namespace posix {

namespace {

constexpr std::string_view kPseudoTypes[] = {"proc",    "sysfs",       "devtmpfs",  "devpts",     "cgroup",
                                             "cgroup2", "debugfs",     "tracefs",   "securityfs", "pstore",
                                             "bpf",     "configfs",    "efivarfs",  "mqueue",     "hugetlbfs",
                                             "fusectl", "binfmt_misc", "selinuxfs", "nsfs",       "rpc_pipefs"};
// Whatever is mounted here (a container often mounts a plain tmpfs at /dev) is the system's own.
constexpr std::string_view kSystemFolders[] = {"/proc", "/sys", "/dev"};

// The first count blank-separated fields of a mount table line.
std::vector<std::string_view> fields(std::string_view line, std::size_t count) {
    std::vector<std::string_view> out;
    while (out.size() < count) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos) break;
        line.remove_prefix(start);
        const std::size_t end = line.find(' ');
        out.push_back(line.substr(0, end));
        line = end == std::string_view::npos ? std::string_view() : line.substr(end);
    }
    return out;
}

}  // namespace

std::vector<std::string> pseudoMountPoints(std::string_view mounts) {
    std::vector<std::string> points;
    while (!mounts.empty()) {
        const std::size_t end = mounts.find('\n');
        const std::string_view line = mounts.substr(0, end);
        mounts = end == std::string_view::npos ? std::string_view() : mounts.substr(end + 1);
        // Fields: device, mount point, type, options, ...
        const std::vector<std::string_view> parts = fields(line, 3);
        if (parts.size() < 3) continue;
        std::string point = unescapeMountPath(parts[1]);
        while (point.size() > 1 && point.back() == '/') point.pop_back();
        if (point.empty() || point == "/") continue;
        const bool pseudo =
            std::find(std::begin(kPseudoTypes), std::end(kPseudoTypes), parts[2]) != std::end(kPseudoTypes) ||
            std::find(std::begin(kSystemFolders), std::end(kSystemFolders), point) != std::end(kSystemFolders);
        if (pseudo && std::find(points.begin(), points.end(), point) == points.end()) points.push_back(point);
    }
    return points;
}

bool isShareDevice(std::string_view mountInfo, std::string_view device) {
    // FUSE file systems serve sshfs, rclone and the like; "fuseblk" serves a local disk.
    constexpr std::string_view kShareTypes[] = {"nfs",   "nfs4",  "cifs", "smb3",      "smbfs",   "9p",
                                                "afs",   "ceph",  "fuse", "glusterfs", "lustre",  "davfs",
                                                "ncpfs", "sshfs", "gpfs", "beegfs",    "orangefs"};
    while (!mountInfo.empty()) {
        const std::size_t end = mountInfo.find('\n');
        const std::string_view line = mountInfo.substr(0, end);
        mountInfo = end == std::string_view::npos ? std::string_view() : mountInfo.substr(end + 1);
        // Fields: mount id, parent id, major:minor, root, mount point, options, ..., "-", type, ...
        const std::vector<std::string_view> parts = fields(line, 3);
        const std::size_t dash = line.find(" - ");
        if (parts.size() < 3 || parts[2] != device || dash == std::string_view::npos) continue;
        const std::vector<std::string_view> type = fields(line.substr(dash + 3), 1);
        if (type.empty()) return false;
        return type[0].starts_with("fuse.") ||
               std::find(std::begin(kShareTypes), std::end(kShareTypes), type[0]) != std::end(kShareTypes);
    }
    return false;
}

}  // namespace posix

std::vector<std::uint64_t> pseudoFileSystemDevices() {
    std::string mounts;
    if (!readFileBytes(u"/proc/self/mounts", &mounts)) return {};
    struct stat root {};
    if (::stat("/", &root) != 0) return {};
    std::vector<std::uint64_t> devices;
    for (const std::string& point : posix::pseudoMountPoints(mounts)) {
        struct stat st {};
        // Never the root's own device: a folder that is no mount point of its own would leave
        // out the whole tree.
        if (::stat(point.c_str(), &st) != 0 || st.st_dev == root.st_dev) continue;
        const auto device = static_cast<std::uint64_t>(st.st_dev);
        if (std::find(devices.begin(), devices.end(), device) == devices.end()) devices.push_back(device);
    }
    return devices;
}

}  // namespace tvr::platform
