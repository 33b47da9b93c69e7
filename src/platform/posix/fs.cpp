// SPDX-License-Identifier: MIT
// Directory enumeration, path kinds, folders, moves and file times on POSIX.
#include "platform/fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/open_folder.h"
#include "platform/posix/posix_util.h"
#include "platform/time.h"

namespace tvr::platform {

namespace {

using posix::nativePath;
using posix::retryOnEintr;

constexpr FileTime kUnixEpochAsFileTime = 116444736000000000LL;
// How long after its last change a folder counts as quiet: beyond the coarsest time stamps (2 s).
constexpr FileTime kStampSettleTime = 3 * 10000000LL;

FileTime toFileTime(const struct timespec& ts) { return fileTimeFromUnix(ts.tv_sec, ts.tv_nsec); }

// A file time of 0 means "leave unchanged", as SetFileTime treats a zeroed time.
struct timespec toTimespec(FileTime time) {
    struct timespec ts {};
    if (time == 0) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    std::int64_t ticks = time - kUnixEpochAsFileTime;
    std::int64_t seconds = ticks / 10000000;
    std::int64_t rest = ticks % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

int openForReading(const std::string& path) {
    // Never waits on a named pipe: only the descriptor's metadata or a regular file's bytes are used.
    return retryOnEintr([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK); });
}

// Puts `from` in place as `to` unless `to` exists; the test and the rename are one step. File
// systems that refuse the no-replace flag get a hard link, which refuses an existing name too.
// Where neither exists the move is refused: a check followed by a plain rename could overwrite.
int renameNoReplace(const std::string& from, const std::string& to) {
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    if (::unlink(from.c_str()) == 0) return 0;
    const int error = errno;
    ::unlink(to.c_str());
    return error;
}

// The temporary name of a copy that moves a file across file systems: the prefix and mkostemp's
// six characters.
constexpr std::string_view kMoveTempPrefix = ".tvr-move-";
constexpr std::size_t kMoveTempUnique = 6;

bool isMoveTemp(std::string_view name) {
    if (name.size() != kMoveTempPrefix.size() + kMoveTempUnique || !name.starts_with(kMoveTempPrefix)) return false;
    name.remove_prefix(kMoveTempPrefix.size());
    return std::all_of(name.begin(), name.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// A killed move leaves its partial copy under the temporary name. A running move holds a lock on
// its copy, so only copies nobody holds are removed.
void removeMoveLeftovers(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir) return;
    const int folderFd = ::dirfd(dir.get());
    std::vector<std::string> found;
    while (struct dirent* entry = ::readdir(dir.get())) {
        if (isMoveTemp(entry->d_name)) found.emplace_back(entry->d_name);
    }
    for (const std::string& name : found) {
        FdCloser file{::openat(folderFd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK)};
        struct stat st {};
        if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (::flock(file.fd, LOCK_EX | LOCK_NB) == 0) ::unlinkat(folderFd, name.c_str(), 0);
    }
}

// Asks for a stop before each block, so a stop waits for one block, not for the whole file.
bool copyBytes(int in, int out, const StopQuery& stop) {
    char buffer[65536];
    for (;;) {
        if (stop && stop()) return false;
        ssize_t got = retryOnEintr([&] { return ::read(in, buffer, sizeof buffer); });
        if (got == 0) return true;
        if (got < 0 || !posix::writeAll(out, std::string_view(buffer, static_cast<std::size_t>(got)))) return false;
    }
}

// A move across file systems, as the Windows move does it: a copy under a temporary name beside
// the target, flushed and given the source's times, put in place without overwriting; only then
// is the source removed. Any failure removes the copy and leaves the source as it was.
bool copyThenRemove(const std::string& from, const std::string& to, const StopQuery& stop) {
    FdCloser in{openForReading(from)};
    if (in.fd < 0) return false;
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    const std::size_t slash = to.rfind('/');
    std::string temp = (slash == std::string::npos ? std::string() : to.substr(0, slash + 1)) +
                       std::string(kMoveTempPrefix) + std::string(kMoveTempUnique, 'X');
    FdCloser out{::mkostemp(temp.data(), O_CLOEXEC)};
    if (out.fd < 0) return false;
    ::flock(out.fd, LOCK_EX);  // tells another mover's clean-up that this copy is alive
    ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);
    // The times go on last: writing the bytes would set the write time again.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = ::fchmod(out.fd, st.st_mode & 07777) == 0 && copyBytes(in.fd, out.fd, stop) &&
              ::futimens(out.fd, times) == 0 && ::fsync(out.fd) == 0;
    ok = ::close(out.fd) == 0 && ok;
    out.fd = -1;
    if (ok) ok = renameNoReplace(temp, to) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    if (::unlink(from.c_str()) == 0) return true;
    // The source could not go: take the copy back so that the file exists exactly once.
    ::unlink(to.c_str());
    return false;
}

}  // namespace

PathKind pathKind(std::u16string_view path) {
    if (path.empty()) return PathKind::Missing;
    noteFolderRequest(FolderRequest::kExamine);
    struct stat st {};
    if (::stat(nativePath(path).c_str(), &st) != 0) return PathKind::Missing;
    return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}

bool fileIdentity(std::u16string_view path, FileIdentity* identity) {
    if (path.empty()) return false;
    noteFolderRequest(FolderRequest::kExamine);
    struct stat st {};
    if (::stat(nativePath(path).c_str(), &st) != 0) return false;
    identity->device = static_cast<std::uint64_t>(st.st_dev);
    identity->node = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

bool folderStamp(std::u16string_view folder, FolderStamp* stamp) {
    if (folder.empty()) return false;
    noteFolderRequest(FolderRequest::kExamine);
    struct stat st {};
    if (::stat(nativePath(folder).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    stamp->device = static_cast<std::uint64_t>(st.st_dev);
    stamp->node = static_cast<std::uint64_t>(st.st_ino);
    stamp->changed = toFileTime(st.st_ctim);
    stamp->written = toFileTime(st.st_mtim);
    // Adding, removing or renaming an entry moves the write time to the change's time stamp.
    stamp->quiet = stamp->written + kStampSettleTime < toFileTime(now);
    return true;
}

bool enumerateFolder(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry,
                     std::size_t* undecodable) {
    return OpenFolder(nullptr, folder).read(true, onEntry, undecodable);
}

bool enumerateFolderNames(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry,
                          std::size_t* undecodable) {
    return OpenFolder(nullptr, folder).read(false, onEntry, undecodable);
}

bool makeFolder(std::u16string_view path) { return !path.empty() && ::mkdir(nativePath(path).c_str(), 0777) == 0; }

bool restrictToOwner(std::u16string_view folder) {
    return !folder.empty() && ::chmod(nativePath(folder).c_str(), 0700) == 0;
}

bool removeFolder(std::u16string_view path) { return !path.empty() && ::rmdir(nativePath(path).c_str()) == 0; }

bool moveNoOverwrite(std::u16string_view from, std::u16string_view to, const StopQuery& stop) {
    if (from.empty() || to.empty()) return false;
    const std::string source = nativePath(from);
    const std::string target = nativePath(to);
    const std::size_t slash = target.rfind('/');
    removeMoveLeftovers(slash == std::string::npos ? std::string() : target.substr(0, slash + 1));
    const int error = renameNoReplace(source, target);
    if (error == 0) return true;
    return error == EXDEV && copyThenRemove(source, target, stop);
}

bool removeFile(std::u16string_view path) { return !path.empty() && ::unlink(nativePath(path).c_str()) == 0; }

bool getFileTimes(std::u16string_view path, FileTimes* times) {
    if (path.empty()) return false;
    FdCloser file{openForReading(nativePath(path))};
    if (file.fd < 0) return false;
    struct statx sx {};
    if (::statx(file.fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
    FileTimes result;
    result.access = fileTimeFromUnix(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
    result.write = fileTimeFromUnix(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    // Not every file system keeps a birth time; the last write is the closest stand-in.
    result.creation =
        (sx.stx_mask & STATX_BTIME) ? fileTimeFromUnix(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec) : result.write;
    if (times != nullptr) *times = result;
    return true;
}

bool setFileTimes(std::u16string_view path, const FileTimes& times) {
    if (path.empty()) return false;
    std::string native = nativePath(path);
    struct timespec values[2] = {toTimespec(times.access), toTimespec(times.write)};
    // With nothing to change the kernel may skip the lookup; a missing file must still fail.
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return false;
    return ::utimensat(AT_FDCWD, native.c_str(), values, 0) == 0;
}

std::u16string canonicalPath(std::u16string_view path) {
    const std::string native = nativePath(path);
    auto resolve = [](const std::string& existing) -> std::string {
        std::unique_ptr<char, void (*)(void*)> resolved(::realpath(existing.c_str(), nullptr), ::free);
        return resolved ? std::string(resolved.get()) : std::string();
    };
    std::string whole = resolve(native);
    if (!whole.empty()) return platform::fromUtf8(whole);
    // A file not written yet: its folder names it uniquely.
    const std::size_t slash = native.rfind('/');
    const std::string folder = resolve(slash == std::string::npos ? std::string(".") : native.substr(0, slash + 1));
    if (folder.empty()) return std::u16string(path);
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    return platform::fromUtf8(folder == "/" ? folder + name : folder + "/" + name);
}

std::int64_t fileSize(std::u16string_view path) {
    struct stat st {};
    if (path.empty() || ::stat(nativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return static_cast<std::int64_t>(st.st_size);
}

std::u16string openedPath(std::u16string_view path) { return std::u16string(path); }

bool backslashIsSeparator() { return false; }

std::u16string displayPath(std::u16string_view path) { return std::u16string(path); }

std::u16string canonicalFolder(std::u16string_view path) {
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(nativePath(path).c_str(), nullptr), ::free);
    if (!resolved) return {};
    return fromUtf8(resolved.get());
}

}  // namespace tvr::platform
