// SPDX-License-Identifier: MIT
#pragma once
// Sequential reads that bypass the OS cache where possible (Windows: FILE_FLAG_NO_BUFFERING,
// Linux: O_DIRECT, falling back to buffered reads with a sequential hint when refused).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tvr::platform {

inline constexpr std::size_t kSectorAlignment = 4096;

/// Allocates size bytes aligned to `alignment`; nullptr on failure.
void* alignedAlloc(std::size_t size, std::size_t alignment);
/// Frees memory from alignedAlloc.
void alignedFree(void* memory);

enum class ReadMode { Unbuffered, Buffered };

/// Evicts the file's pages from the OS cache, so that its next reads come from the disk (benchmarks).
bool dropCachedPages(std::u16string_view path);

/// Called before every SequentialReader::read and every block of a whole-file read
/// (readFileBytesUpTo) with the requested size; lets tests slow reads down or count them.
using ReadHook = void (*)(std::size_t capacity);
/// Installs the hook for every reader of the process (nullptr: none).
void setReadHook(ReadHook hook);
/// The installed hook (nullptr: none).
ReadHook installedReadHook();

class SequentialReader {
public:
    SequentialReader() = default;
    ~SequentialReader();
    SequentialReader(const SequentialReader&) = delete;
    SequentialReader& operator=(const SequentialReader&) = delete;
    /// Opens an existing file for reading, shared for read, write and delete.
    bool open(std::u16string_view path, ReadMode preferred = ReadMode::Unbuffered);
    bool isOpen() const { return handle_ != -1; }
    /// The mode actually in use after open.
    ReadMode mode() const { return mode_; }
    /// Size of the open file in bytes.
    std::int64_t size() const { return size_; }
    /// Moves the file pointer; offset must be a multiple of kSectorAlignment in unbuffered mode.
    bool seek(std::int64_t offset);
    /// Reads up to capacity bytes into an aligned buffer; returns the count, 0 at end, -1 on error.
    std::int64_t read(void* buffer, std::size_t capacity);
    /// Reads at offset what the OS cache already holds, without waiting for the disk; -1 when nothing is cached.
    std::int64_t readCached(std::int64_t offset, void* buffer, std::size_t capacity);
    void close();

private:
    // A stream's reader thread reads while the server thread asks readCached and isOpen; a read
    // the unbuffered file refuses switches the mode (and on Windows the handle) under them.
    std::atomic<std::intptr_t> handle_{-1};
    std::atomic<ReadMode> mode_{ReadMode::Buffered};
    std::int64_t size_ = 0;
};

}  // namespace tvr::platform
