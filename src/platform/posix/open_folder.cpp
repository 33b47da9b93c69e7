// SPDX-License-Identifier: MIT
// Folders held open by a walk on POSIX: openat relative to the parent's descriptor, statx for
// what the open already brought, and a directory stream on the same descriptor.
#include "platform/open_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "platform/posix/mount_table.h"
#include "platform/posix/posix_util.h"

namespace tvr::platform {

namespace {

// How long after its last change a folder counts as quiet: beyond the coarsest time stamps (2 s).
constexpr FileTime kStampSettleTime = 3 * 10000000LL;

// The stamp from what the system holds of the open folder: the attributes its open brought,
// or on a local disk the folder as it is; never a request to the share.
bool heldAttributes(int fd, FolderStamp* stamp) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE | STATX_INO | STATX_MTIME | STATX_CTIME, &sx) !=
            0 ||
        !S_ISDIR(sx.stx_mode)) {
        return false;
    }
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    stamp->device = static_cast<std::uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor));
    stamp->node = sx.stx_ino;
    stamp->changed = fileTimeFromUnix(sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec);
    stamp->written = fileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    // Adding, removing or renaming an entry moves the write time to the change's time stamp.
    stamp->quiet = stamp->written + kStampSettleTime < fileTimeFromUnix(now.tv_sec, now.tv_nsec);
    return true;
}

}  // namespace

OpenFolder::OpenFolder(const OpenFolder* parent, std::u16string_view pathOrName) {
    if (pathOrName.empty() || (parent != nullptr && !parent->open_)) return;
    noteFolderRequest(FolderRequest::kOpen);
    const std::string native = posix::nativePath(pathOrName);
    const int base = parent != nullptr ? static_cast<int>(parent->handle_) : AT_FDCWD;
    const int fd = posix::retryOnEintr(
        [&] { return ::openat(base, native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK); });
    if (fd < 0) return;
    handle_ = fd;
    open_ = heldAttributes(fd, &stamp_);
}

OpenFolder::~OpenFolder() {
    if (reader_ != nullptr) {
        ::closedir(static_cast<DIR*>(reader_));
    } else if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

bool OpenFolder::read(bool withTimes, const std::function<bool(const DirEntry&)>& onEntry, std::size_t* undecodable) {
    if (!open_) return false;
    noteFolderRequest(FolderRequest::kRead);
    const int fd = static_cast<int>(handle_);
    if (reader_ == nullptr) {
        // The stream takes the descriptor over; sub-folders still open relative to it.
        reader_ = ::fdopendir(fd);
        if (reader_ == nullptr) return false;
    } else {
        ::rewinddir(static_cast<DIR*>(reader_));
    }
    DIR* dir = static_cast<DIR*>(reader_);
    DirEntry item;
    for (;;) {
        errno = 0;
        const struct dirent* entry = ::readdir(dir);
        if (entry == nullptr) return errno == 0;
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        if (!isValidUtf8(name)) {
            if (undecodable != nullptr) ++*undecodable;
            continue;
        }
        if (withTimes) {
            struct stat st {};
            // Entries deleted since the listing and dangling links are skipped, as if never there.
            if (::fstatat(fd, entry->d_name, &st, 0) != 0) continue;
            item.isFolder = S_ISDIR(st.st_mode);
            item.writeTime = fileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            // The kind comes from the directory entry where the file system records it.
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0) continue;
            item.isFolder = S_ISDIR(st.st_mode);
        } else {
            item.isFolder = entry->d_type == DT_DIR;
        }
        item.name = fromUtf8(name);
        if (!onEntry(item)) return true;
    }
}

PathKind OpenFolder::kindOf(std::u16string_view name) const {
    if (!open_ || name.empty()) return PathKind::Missing;
    noteFolderRequest(FolderRequest::kExamine);
    struct stat st {};
    if (::fstatat(static_cast<int>(handle_), posix::nativePath(name).c_str(), &st, 0) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

bool OpenFolder::heldStamp(FolderStamp* stamp) const {
    return open_ && heldAttributes(static_cast<int>(handle_), stamp);
}

bool OpenFolder::onShare() const {
    // The mount table names each file system's device and type; reading it asks no share.
    std::string table;
    if (!open_ || !readFileBytes(u"/proc/self/mountinfo", &table)) return false;
    const auto device = static_cast<dev_t>(stamp_.device);
    return posix::isShareDevice(table, std::to_string(major(device)) + ":" + std::to_string(minor(device)));
}

}  // namespace tvr::platform
