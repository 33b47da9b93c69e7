// SPDX-License-Identifier: MIT
#pragma once
// One stream slot: the file being streamed and its read-ahead. A reader thread fills two
// 1 MiB sector-aligned buffers in turn; the server thread sends from them. The first read after
// a seek is one small aligned block, so the body starts as soon as that block is in and the
// full buffers follow behind it; when the OS cache holds that block, the seek itself copies it
// and the body starts without waiting for the reader. A buffer with length 0 belongs to the
// reader, one with data to the sender; the slot lock guards the hand-over, and the reader waits
// on a condition variable until a buffer is free or the stream is moved, so neither side polls.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "core/worker_thread.h"
#include "http/http_response.h"
#include "platform/sequential_reader.h"

namespace tvr::http {

class StreamSlot {
public:
    static constexpr std::size_t kBufferCount = 2;
    static constexpr std::size_t kBufferSize = 0x100000;
    /// Size of the first read after a seek: a multiple of the sector size, small enough to arrive at once.
    static constexpr std::size_t kFirstReadSize = 0x4000;

    /// Starts the reader thread; onDataReady runs on it whenever a buffer has been filled.
    explicit StreamSlot(std::function<void()> onDataReady);
    /// Stops the reader thread, then closes the file and frees the buffers.
    ~StreamSlot();
    StreamSlot(const StreamSlot&) = delete;
    StreamSlot& operator=(const StreamSlot&) = delete;

    /// Opens the path for streaming; the same unchanged file stays open. False when it cannot be opened.
    bool open(std::u16string_view path, platform::ReadMode preferred);
    /// Size and last-write time of the open file.
    FileFacts facts() const;
    /// Starts the body at offset (within the file), dropping what was read ahead.
    void seek(std::int64_t offset);
    /// Ends the body: nothing is offered for sending until the next seek.
    void stopBody();
    /// Closes the file; the buffers are kept for the next open.
    void closeFile();
    /// True while a file is open.
    bool hasOpenFile() const;
    /// The read mode of the open file.
    platform::ReadMode readMode() const;

    /// Body bytes ready to send now; false when none are.
    bool sendable(const char** data, std::size_t* size);
    /// Records that the first `sent` bytes offered by sendable went out.
    void consumed(std::size_t sent);
    /// True when the file ended (or failed to read) before the body was complete.
    bool bodyBroken() const;

    /// Asks the slot to close its file once it has no connection.
    void requestRelease() { releaseRequested_ = true; }
    /// True while a release is asked for.
    bool releaseRequested() const { return releaseRequested_; }

private:
    struct Buffer {
        char* data = nullptr;
        std::size_t start = 0;
        std::size_t length = 0;
    };

    std::int32_t readStep();
    bool canReadLocked() const;
    void readCachedLocked();
    bool publishLocked(std::size_t index, std::int64_t got);
    void resetRingLocked();
    void closeFileLocked(std::unique_lock<std::mutex>& lock);
    bool allocateBuffersLocked();

    std::function<void()> onDataReady_;
    mutable std::mutex mutex_;
    std::condition_variable readerWake_;  // a buffer became free, the stream moved, or stop
    std::condition_variable readerIdle_;  // the reader finished a read
    platform::SequentialReader file_;
    std::u16string path_;
    FileFacts facts_;
    platform::ReadMode mode_ = platform::ReadMode::Buffered;  // copied from the file under the lock
    Buffer ring_[kBufferCount];
    std::size_t sendCursor_ = 0;
    std::size_t readCursor_ = 0;
    std::int64_t position_ = 0;      // next file offset to send
    std::int64_t remaining_ = 0;     // body bytes still to send
    std::int64_t readPosition_ = 0;  // aligned offset of the next read
    std::int64_t filePointer_ = -1;  // where the file pointer stands; -1 unknown
    std::size_t skip_ = 0;           // bytes to drop from the first read after a seek
    std::uint64_t generation_ = 0;   // grows with every seek, open and close
    bool reading_ = false;
    bool endOfFile_ = false;
    bool firstRead_ = false;  // the next read is the first of a seek
    bool readerBusy_ = false;
    std::size_t readerIndex_ = 0;  // the buffer the reader fills while it is busy
    bool bodyActive_ = false;
    bool stopping_ = false;
    std::atomic<bool> releaseRequested_{false};
    core::WorkerThread reader_;
};

}  // namespace tvr::http
