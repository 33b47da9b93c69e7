// SPDX-License-Identifier: MIT
#include "http/stream_slot.h"

#include <algorithm>
#include <chrono>

namespace tvr::http {

namespace {

// Upper bound of one reader wait; a free buffer, a seek or a stop ends it at once.
constexpr std::chrono::milliseconds kReaderIdleWait{100};
constexpr std::int64_t kAlignment = static_cast<std::int64_t>(platform::kSectorAlignment);

}  // namespace

StreamSlot::StreamSlot(std::function<void()> onDataReady) : onDataReady_(std::move(onDataReady)) {
    reader_.start([this] { return readStep(); });
}

StreamSlot::~StreamSlot() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    readerWake_.notify_all();
    reader_.stop();
    std::unique_lock<std::mutex> lock(mutex_);
    closeFileLocked(lock);
    for (Buffer& buffer : ring_) {
        platform::alignedFree(buffer.data);
        buffer.data = nullptr;
    }
}

bool StreamSlot::open(std::u16string_view path, platform::ReadMode preferred) {
    if (!reader_.running()) return false;
    std::unique_lock<std::mutex> lock(mutex_);
    bool keep = file_.isOpen() && path == path_;
    if (keep) {
        // A file rewritten since it was opened is opened again, so that size and tags stay true.
        // One that can no longer be looked up by name is still served from the open handle.
        std::int64_t size = platform::fileSize(path);
        platform::FileTime time = 0;
        if (size >= 0 && platform::fileWriteTime(path, &time)) {
            keep = size == facts_.size && time == facts_.writeTime;
        }
    }
    if (!keep) {
        closeFileLocked(lock);
        path_.assign(path);
        if (!file_.open(path, preferred) || !allocateBuffersLocked()) {
            file_.close();
            releaseRequested_ = false;
            return false;
        }
        facts_.size = file_.size();
        facts_.writeTime = 0;
        platform::fileWriteTime(path, &facts_.writeTime);
        filePointer_ = 0;
        mode_ = file_.mode();
    }
    position_ = 0;
    remaining_ = 0;
    readPosition_ = 0;
    skip_ = 0;
    resetRingLocked();
    // Reading starts with the seek that follows, so a range request does not read from 0 first.
    reading_ = false;
    bodyActive_ = false;
    releaseRequested_ = false;
    return true;
}

FileFacts StreamSlot::facts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return facts_;
}

void StreamSlot::seek(std::int64_t offset) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!file_.isOpen()) return;
        position_ = offset;
        remaining_ = facts_.size - offset;
        readPosition_ = offset / kAlignment * kAlignment;
        skip_ = static_cast<std::size_t>(offset - readPosition_);
        resetRingLocked();
        reading_ = true;
        bodyActive_ = true;
        // A reader still filling a buffer for the last seek keeps that buffer until its read
        // ends; the new stream starts in the other one, so its first bytes need not wait.
        if (readerBusy_) sendCursor_ = readCursor_ = (readerIndex_ + 1) % kBufferCount;
        readCachedLocked();
    }
    readerWake_.notify_all();
}

void StreamSlot::stopBody() {
    std::lock_guard<std::mutex> lock(mutex_);
    bodyActive_ = false;
}

void StreamSlot::closeFile() {
    std::unique_lock<std::mutex> lock(mutex_);
    closeFileLocked(lock);
}

bool StreamSlot::hasOpenFile() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return file_.isOpen();
}

platform::ReadMode StreamSlot::readMode() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return mode_;
}

bool StreamSlot::sendable(const char** data, std::size_t* size) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Buffer& buffer = ring_[sendCursor_];
    if (!bodyActive_ || remaining_ <= 0 || buffer.length == 0) return false;
    *data = buffer.data + buffer.start;
    // The body ends at the size announced in the header even if the file has grown since.
    *size = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(buffer.length), remaining_));
    return true;
}

void StreamSlot::consumed(std::size_t sent) {
    bool freed = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Buffer& buffer = ring_[sendCursor_];
        sent = std::min(sent, buffer.length);
        buffer.start += sent;
        buffer.length -= sent;
        position_ += static_cast<std::int64_t>(sent);
        remaining_ -= static_cast<std::int64_t>(sent);
        if (buffer.length == 0) {
            buffer.start = 0;
            sendCursor_ = (sendCursor_ + 1) % kBufferCount;
            freed = true;
        }
    }
    if (freed) readerWake_.notify_all();
}

bool StreamSlot::bodyBroken() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!bodyActive_ || remaining_ <= 0 || !endOfFile_ || readerBusy_) return false;
    return std::all_of(std::begin(ring_), std::end(ring_), [](const Buffer& buffer) { return buffer.length == 0; });
}

std::int32_t StreamSlot::readStep() {
    std::unique_lock<std::mutex> lock(mutex_);
    readerWake_.wait_for(lock, kReaderIdleWait, [this] { return stopping_ || canReadLocked(); });
    if (stopping_) return 0;
    if (!canReadLocked()) return 1;

    std::size_t index = readCursor_;
    char* target = ring_[index].data;
    std::uint64_t generation = generation_;
    std::int64_t at = readPosition_;
    bool needSeek = filePointer_ != at;
    // The player waits for the first bytes after a seek; only the reads after them need to be large.
    std::size_t size = firstRead_ ? kFirstReadSize : kBufferSize;
    readerBusy_ = true;
    readerIndex_ = index;
    lock.unlock();

    // The read runs without the lock so that the sender and a seek never wait for the disk.
    std::int64_t got = -1;
    if (!needSeek || file_.seek(at)) got = file_.read(target, size);
    platform::ReadMode mode = file_.mode();  // a refused unbuffered read falls back to buffered

    lock.lock();
    mode_ = mode;
    readerBusy_ = false;
    filePointer_ = got >= 0 ? at + got : -1;
    bool published = false;
    if (generation == generation_) {
        if (got <= 0) {
            // A failed read counts as the end of the file.
            endOfFile_ = true;
        } else {
            published = publishLocked(index, got);
        }
    }
    lock.unlock();
    readerIdle_.notify_all();
    if (published && onDataReady_) onDataReady_();
    return 1;
}

void StreamSlot::readCachedLocked() {
    // A warm seek, the common case when the player jumps around in a video it has just played,
    // needs no disk: copying one small block here saves the hand-over to the reader and back.
    Buffer& buffer = ring_[readCursor_];
    if (buffer.data == nullptr) return;
    std::int64_t got = file_.readCached(readPosition_, buffer.data, kFirstReadSize);
    if (got > static_cast<std::int64_t>(skip_)) publishLocked(readCursor_, got);
}

bool StreamSlot::publishLocked(std::size_t index, std::int64_t got) {
    Buffer& buffer = ring_[index];
    std::size_t bytes = static_cast<std::size_t>(got);
    std::size_t drop = std::min(skip_, bytes);
    buffer.start = drop;
    buffer.length = bytes - drop;
    skip_ = 0;
    firstRead_ = false;
    readPosition_ += got;
    readCursor_ = (index + 1) % kBufferCount;
    endOfFile_ = readPosition_ >= facts_.size;
    return buffer.length > 0;
}

bool StreamSlot::canReadLocked() const {
    const Buffer& buffer = ring_[readCursor_];
    return reading_ && file_.isOpen() && !endOfFile_ && !readerBusy_ && buffer.data != nullptr && buffer.length == 0;
}

void StreamSlot::resetRingLocked() {
    ++generation_;
    for (Buffer& buffer : ring_) {
        buffer.start = 0;
        buffer.length = 0;
    }
    sendCursor_ = 0;
    readCursor_ = 0;
    endOfFile_ = false;
    firstRead_ = true;
}

void StreamSlot::closeFileLocked(std::unique_lock<std::mutex>& lock) {
    // The reader uses the file without the lock during a read; the handle must outlive that read.
    readerIdle_.wait(lock, [this] { return !readerBusy_; });
    file_.close();
    reading_ = false;
    bodyActive_ = false;
    releaseRequested_ = false;
    filePointer_ = -1;
    facts_ = FileFacts{};
    resetRingLocked();
}

bool StreamSlot::allocateBuffersLocked() {
    for (Buffer& buffer : ring_) {
        if (buffer.data == nullptr) {
            buffer.data = static_cast<char*>(platform::alignedAlloc(kBufferSize, platform::kSectorAlignment));
        }
        if (buffer.data == nullptr) return false;
    }
    return true;
}

}  // namespace tvr::http
