// SPDX-License-Identifier: MIT
// Sequential reads with FILE_FLAG_NO_BUFFERING, so streaming large videos does not push
// everything else out of the system cache. Unbuffered reads need a sector-aligned buffer, size
// and file offset; a volume or a request that cannot meet that is read buffered instead, with
// the sequential-scan hint.
#include "platform/sequential_reader.h"

#include <malloc.h>

#include <atomic>

#include "platform/win32/win_util.h"

namespace tvr::platform {

namespace {

HANDLE openFile(std::u16string_view path, bool unbuffered) {
    DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0);
    return ::CreateFileW(win32::widePath(path).c_str(), GENERIC_READ, win32::kShareAll, nullptr, OPEN_EXISTING, flags,
                         nullptr);
}

std::atomic<ReadHook> readHook{nullptr};

bool aligned(const void* buffer, std::size_t capacity) {
    return reinterpret_cast<std::uintptr_t>(buffer) % kSectorAlignment == 0 && capacity % kSectorAlignment == 0;
}

}  // namespace

bool dropCachedPages(std::u16string_view path) {
    // The cache manager purges a file's cached pages when the file is opened without buffering.
    HANDLE file = openFile(path, true);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
}

void setReadHook(ReadHook hook) { readHook.store(hook); }

ReadHook installedReadHook() { return readHook.load(); }

void* alignedAlloc(std::size_t size, std::size_t alignment) {
    if (size == 0) size = alignment;
    return ::_aligned_malloc(size, alignment);
}

void alignedFree(void* memory) { ::_aligned_free(memory); }

SequentialReader::~SequentialReader() { close(); }

bool SequentialReader::open(std::u16string_view path, ReadMode preferred) {
    close();
    if (path.empty()) return false;
    mode_ = preferred;
    HANDLE file = openFile(path, preferred == ReadMode::Unbuffered);
    if (file == INVALID_HANDLE_VALUE && preferred == ReadMode::Unbuffered &&
        ::GetLastError() == ERROR_INVALID_PARAMETER) {
        mode_ = ReadMode::Buffered;
        file = openFile(path, false);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    // Pipes and devices are refused: a read there would wait on whoever writes to it.
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
        ::CloseHandle(file);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    size_ = size.QuadPart;
    return true;
}

bool SequentialReader::seek(std::int64_t offset) {
    if (!isOpen() || offset < 0) return false;
    if (mode_ == ReadMode::Unbuffered && offset % static_cast<std::int64_t>(kSectorAlignment) != 0) return false;
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    return ::SetFilePointerEx(reinterpret_cast<HANDLE>(handle_.load()), distance, nullptr, FILE_BEGIN) != 0;
}

std::int64_t SequentialReader::read(void* buffer, std::size_t capacity) {
    if (!isOpen() || buffer == nullptr) return -1;
    if (ReadHook hook = readHook.load()) hook(capacity);
    HANDLE file = reinterpret_cast<HANDLE>(handle_.load());
    if (mode_ == ReadMode::Unbuffered && !aligned(buffer, capacity)) {
        // A request the unbuffered handle cannot serve: reopen the same file buffered at the same
        // position, as the POSIX side drops O_DIRECT, so the caller still gets its bytes.
        LARGE_INTEGER position{};
        if (!::SetFilePointerEx(file, LARGE_INTEGER{}, &position, FILE_CURRENT)) return -1;
        HANDLE buffered = ::ReOpenFile(file, GENERIC_READ, win32::kShareAll, FILE_FLAG_SEQUENTIAL_SCAN);
        if (buffered == INVALID_HANDLE_VALUE) return -1;
        if (!::SetFilePointerEx(buffered, position, nullptr, FILE_BEGIN)) {
            ::CloseHandle(buffered);
            return -1;
        }
        ::CloseHandle(file);
        file = buffered;
        handle_ = reinterpret_cast<std::intptr_t>(file);
        mode_ = ReadMode::Buffered;
    }
    DWORD chunk = capacity > 0x40000000u ? 0x40000000u : static_cast<DWORD>(capacity);
    DWORD got = 0;
    if (!::ReadFile(file, buffer, chunk, &got, nullptr)) return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return static_cast<std::int64_t>(got);
}

// A synchronous handle has no read that refuses to wait for the disk (Linux: RWF_NOWAIT), so
// nothing counts as cached and the caller's ordinary read follows.
std::int64_t SequentialReader::readCached(std::int64_t, void*, std::size_t) { return -1; }

void SequentialReader::close() {
    if (!isOpen()) return;
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_.load()));
    handle_ = -1;
    size_ = 0;
}

}  // namespace tvr::platform
