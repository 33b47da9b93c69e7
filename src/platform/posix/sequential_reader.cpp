// SPDX-License-Identifier: MIT
// Sequential reads with O_DIRECT, so streaming large videos does not push everything else out
// of the page cache. File systems that refuse O_DIRECT (tmpfs, some network and FUSE mounts)
// answer EINVAL, either at open or at the first read; the reader then carries on buffered
// with a sequential read-ahead hint.
#include "platform/sequential_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "platform/posix/posix_util.h"

namespace tvr::platform {

namespace {

using posix::retryOnEintr;

int openFile(const std::string& path, bool direct) { return posix::openRegularFile(path, direct ? O_DIRECT : 0); }

void hintSequential(int fd) { ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL); }

std::atomic<ReadHook> readHook{nullptr};

}  // namespace

void* alignedAlloc(std::size_t size, std::size_t alignment) {
    void* memory = nullptr;
    if (size == 0) size = alignment;
    if (::posix_memalign(&memory, alignment, size) != 0) return nullptr;
    return memory;
}

void alignedFree(void* memory) { std::free(memory); }

void setReadHook(ReadHook hook) { readHook.store(hook); }

ReadHook installedReadHook() { return readHook.load(); }

bool dropCachedPages(std::u16string_view path) {
    int fd = openFile(posix::nativePath(path), false);
    if (fd < 0) return false;
    bool dropped = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) == 0;
    ::close(fd);
    return dropped;
}

SequentialReader::~SequentialReader() { close(); }

bool SequentialReader::open(std::u16string_view path, ReadMode preferred) {
    close();
    if (path.empty()) return false;
    std::string native = posix::nativePath(path);
    mode_ = preferred;
    int fd = openFile(native, preferred == ReadMode::Unbuffered);
    if (fd < 0 && errno == EINVAL && preferred == ReadMode::Unbuffered) {
        mode_ = ReadMode::Buffered;
        fd = openFile(native, false);
    }
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    if (mode_ == ReadMode::Buffered) hintSequential(fd);
    handle_ = fd;
    size_ = static_cast<std::int64_t>(st.st_size);
    return true;
}

bool SequentialReader::seek(std::int64_t offset) {
    if (!isOpen() || offset < 0) return false;
    if (mode_ == ReadMode::Unbuffered && offset % static_cast<std::int64_t>(kSectorAlignment) != 0) return false;
    return ::lseek(static_cast<int>(handle_.load()), static_cast<off_t>(offset), SEEK_SET) == offset;
}

std::int64_t SequentialReader::read(void* buffer, std::size_t capacity) {
    if (!isOpen() || buffer == nullptr) return -1;
    if (ReadHook hook = readHook.load()) hook(capacity);
    int fd = static_cast<int>(handle_.load());
    ssize_t got = retryOnEintr([&] { return ::read(fd, buffer, capacity); });
    if (got < 0 && errno == EINVAL && mode_ == ReadMode::Unbuffered) {
        // Refused at read time: drop O_DIRECT on the open file and read the same range buffered.
        int flags = ::fcntl(fd, F_GETFL);
        if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_DIRECT) != 0) return -1;
        mode_ = ReadMode::Buffered;
        hintSequential(fd);
        got = retryOnEintr([&] { return ::read(fd, buffer, capacity); });
    }
    return got < 0 ? -1 : static_cast<std::int64_t>(got);
}

std::int64_t SequentialReader::readCached(std::int64_t offset, void* buffer, std::size_t capacity) {
    // Unbuffered reads bypass the cache, so there is nothing to take from it.
    if (!isOpen() || buffer == nullptr || mode_ != ReadMode::Buffered || offset < 0) return -1;
    if (ReadHook hook = readHook.load()) hook(capacity);
    iovec part{buffer, capacity};
    // RWF_NOWAIT answers EAGAIN instead of waiting for the disk, and the read-ahead it starts
    // still helps the blocking read that follows.
    ssize_t got = retryOnEintr(
        [&] { return ::preadv2(static_cast<int>(handle_.load()), &part, 1, static_cast<off_t>(offset), RWF_NOWAIT); });
    return got <= 0 ? -1 : static_cast<std::int64_t>(got);
}

void SequentialReader::close() {
    if (!isOpen()) return;
    ::close(static_cast<int>(handle_.load()));
    handle_ = -1;
    size_ = 0;
}

}  // namespace tvr::platform
