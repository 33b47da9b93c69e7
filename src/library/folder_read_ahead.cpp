// SPDX-License-Identifier: MIT
#include "library/folder_read_ahead.h"

#include <algorithm>
#include <system_error>

#include "core/paths.h"

namespace tvr::library {

namespace {

// How often a walk waiting for a folder that a thread still reads asks its stop check: a stop
// must not wait for a slow folder on a network share.
constexpr std::chrono::milliseconds kStopPoll{20};

}  // namespace

struct FolderReadAhead::Slot {
    enum class State { kWaiting, kReading, kReady };

    std::u16string folder;
    State state = State::kWaiting;
    bool inQueue = true;  // still announced; false once the walk took or passed it
    bool taken = false;   // the walk reads it now
    bool usable = false;  // the entries are the folder's whole content at the stamp
    platform::FolderStamp stamp;
    std::vector<platform::DirEntry> entries;
    std::size_t undecodable = 0;
};

FolderReadAhead::FolderReadAhead(bool withTimes) : withTimes_(withTimes) {}

FolderReadAhead::~FolderReadAhead() {
    cancel();
    for (std::thread& thread : threads_) thread.join();
}

void FolderReadAhead::cancel() {
    {
        std::lock_guard lock(mutex_);
        cancelled_.store(true, std::memory_order_relaxed);
    }
    work_.notify_all();
    done_.notify_all();
}

bool FolderReadAhead::waitReady(std::size_t folders, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [&] { return readyFolders_ >= folders; });
}

void FolderReadAhead::announce(const std::vector<std::u16string>& folders) {
    if (folders.empty() || cancelled_.load(std::memory_order_relaxed)) return;
    if (threads_.empty()) {
        // Read on the walk's thread, once per walk, before any thread may read a folder.
        skippedDevices_ = platform::pseudoFileSystemDevices();
        try {
            for (std::size_t i = 0; i < kThreads; ++i) threads_.emplace_back([this] { threadMain(); });
        } catch (const std::system_error&) {
            // Fewer threads read ahead, or none: the walk then reads each folder itself.
            if (threads_.empty()) return;
        }
    }
    {
        std::lock_guard lock(mutex_);
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
            auto slot = std::make_shared<Slot>();
            slot->folder = *it;
            queue_.push_back(std::move(slot));
        }
    }
    work_.notify_all();
}

void FolderReadAhead::announceSubFolders(const std::u16string& folder, std::vector<std::u16string>& names) {
    std::u16string path;
    for (std::u16string& name : names) {
        path = folder;
        core::appendPath(path, name);
        name.swap(path);
    }
    announce(names);
}

bool FolderReadAhead::read(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable,
                           const StopCheck& stop) {
    SlotPtr slot;
    {
        std::unique_lock lock(mutex_);
        slot = takeSlot(folder);
        while (slot && slot->state == Slot::State::kReading) {
            if (done_.wait_for(lock, kStopPoll, [&] { return slot->state != Slot::State::kReading; })) break;
            lock.unlock();
            const bool stopped = stop && stop();
            lock.lock();
            if (stopped) {
                cancelled_.store(true, std::memory_order_relaxed);
                work_.notify_all();
                return false;
            }
        }
    }
    platform::FolderStamp now;
    if (!slot || !slot->usable || !platform::folderStamp(folder, &now) || !now.sameAs(slot->stamp)) {
        return readNow(folder, onEntry, undecodable);
    }
    for (const platform::DirEntry& entry : slot->entries) {
        if (!onEntry(entry)) break;
    }
    if (undecodable != nullptr) *undecodable += slot->undecodable;
    return true;
}

bool FolderReadAhead::readNow(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable) const {
    return withTimes_ ? platform::enumerateFolder(folder, onEntry, undecodable)
                      : platform::enumerateFolderNames(folder, onEntry, undecodable);
}

FolderReadAhead::SlotPtr FolderReadAhead::takeSlot(const std::u16string& folder) {
    // The walk goes through the announced folders in order; those after the one it reads now in
    // the queue were nearer, so it passed them (entered already, or left out).
    auto found = std::find_if(queue_.rbegin(), queue_.rend(), [&](const SlotPtr& s) { return s->folder == folder; });
    const auto keep = found == queue_.rend() ? queue_.begin() : std::prev(found.base());
    for (auto it = keep; it != queue_.end(); ++it) leaveQueue(**it);
    SlotPtr slot = found == queue_.rend() ? nullptr : *keep;
    if (slot) slot->taken = true;
    queue_.erase(keep, queue_.end());
    work_.notify_all();
    return slot;
}

void FolderReadAhead::leaveQueue(Slot& slot) {
    slot.inQueue = false;
    if (slot.state != Slot::State::kReady) return;
    --readyFolders_;
    readyEntries_ -= slot.entries.size();
}

bool FolderReadAhead::hasRoom() const {
    return reading_ + readyFolders_ < kWindowFolders && readyEntries_ < kEntryBudget;
}

FolderReadAhead::SlotPtr FolderReadAhead::nextToRead() {
    if (!hasRoom()) return nullptr;
    // The nearest folder nobody reads yet: past at most a window of folders read or being read.
    for (auto it = queue_.rbegin(); it != queue_.rend(); ++it) {
        if ((*it)->state == Slot::State::kWaiting) return *it;
    }
    return nullptr;
}

void FolderReadAhead::threadMain() {
    std::unique_lock lock(mutex_);
    for (;;) {
        SlotPtr slot;
        work_.wait(lock, [&] { return cancelled_.load(std::memory_order_relaxed) || (slot = nextToRead()); });
        if (cancelled_.load(std::memory_order_relaxed)) return;
        slot->state = Slot::State::kReading;
        ++reading_;
        lock.unlock();
        readSlot(*slot);
        lock.lock();
        --reading_;
        slot->state = Slot::State::kReady;
        if (slot->inQueue) {
            ++readyFolders_;
            readyEntries_ += slot->entries.size();
        } else if (!slot->taken) {
            slot->entries = {};  // passed by the walk: nobody will read it
        }
        done_.notify_all();
    }
}

void FolderReadAhead::readSlot(Slot& slot) {
    // A folder that changed a moment ago may change again within one time stamp: the walk reads
    // it itself. The stamp comes first, so any change during the read shows at the walk's look.
    if (!platform::folderStamp(slot.folder, &slot.stamp) || !slot.stamp.quiet ||
        std::find(skippedDevices_.begin(), skippedDevices_.end(), slot.stamp.device) != skippedDevices_.end()) {
        return;
    }
    bool whole = true;
    const auto keep = [&](const platform::DirEntry& entry) {
        if (cancelled_.load(std::memory_order_relaxed) || slot.entries.size() >= kMaxFolderEntries) {
            whole = false;
            return false;
        }
        slot.entries.push_back(entry);
        return true;
    };
    const bool readable = readNow(slot.folder, keep, &slot.undecodable);
    slot.usable = readable && whole;
    if (!slot.usable) slot.entries = {};
}

}  // namespace tvr::library
