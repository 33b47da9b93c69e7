// SPDX-License-Identifier: MIT
#include "library/folder_read_ahead.h"

#include <algorithm>
#include <system_error>

#include "core/paths.h"

namespace tvr::library {

namespace {

using namespace std::chrono_literals;

// How long a read of names takes at most when its entries are at hand (in the caches): a fixed
// part and a part per entry. A read that takes longer waited for the disk.
constexpr std::chrono::nanoseconds kAtHand = 40us;
constexpr std::chrono::nanoseconds kAtHandPerEntry = 500ns;
// So many reads that waited, and at least one read in kSlowShare, start the threads: one alone
// may be a moment another program had the processor.
constexpr int kSlowReadsToStart = 4;
constexpr int kSlowShare = 4;

std::atomic<FolderReadAhead::EnumerationHook> enumerationHook{nullptr};

}  // namespace

struct FolderReadAhead::Slot {
    enum class State { kWaiting, kReading, kReady };

    std::u16string folder;
    State state = State::kWaiting;
    bool inQueue = true;  // still announced; false once the walk took or passed it
    bool usable = false;  // the entries are the folder's whole content at the stamp
    platform::FolderStamp stamp;
    std::vector<platform::DirEntry> entries;
    std::size_t undecodable = 0;
};

FolderReadAhead::FolderReadAhead(bool withTimes, Start start)
    : withTimes_(withTimes), start_(withTimes ? Start::kAtOnce : start) {}

FolderReadAhead::~FolderReadAhead() {
    {
        std::lock_guard lock(mutex_);
        cancelled_.store(true, std::memory_order_relaxed);
    }
    work_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

bool FolderReadAhead::waitReady(std::size_t folders, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, timeout, [&] { return readyFolders_ >= folders; });
}

void FolderReadAhead::startThreads() {
    started_ = true;
    // Read on the walk's thread, once per walk, before any thread may read a folder.
    skippedDevices_ = platform::pseudoFileSystemDevices();
    addThreads();
}

void FolderReadAhead::addThreads() {
    // A thread per folder waiting, up to kThreads: a small tree starts no more than it can use.
    std::size_t waiting = 0;
    {
        std::lock_guard lock(mutex_);
        waiting = queue_.size();
    }
    try {
        while (threads_.size() < std::min(waiting, kThreads)) threads_.emplace_back([this] { threadMain(); });
    } catch (const std::system_error&) {
        // Fewer threads read ahead, or none: the walk then reads each folder itself.
    }
}

void FolderReadAhead::announce(const std::vector<std::u16string>& folders) {
    if (folders.empty()) return;
    {
        std::lock_guard lock(mutex_);
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
            auto slot = std::make_shared<Slot>();
            slot->folder = *it;
            queue_.push_back(std::move(slot));
        }
    }
    if (!started_ && start_ == Start::kAtOnce) {
        startThreads();
    } else if (started_ && threads_.size() < kThreads) {
        addThreads();
    }
    wakeReaders(folders.size());
}

void FolderReadAhead::wakeReaders(std::size_t newFolders) {
    // One thread per folder that came within reach: waking every thread for each folder the walk
    // takes would cost more processor time than the reads on a warm cache.
    for (std::size_t i = 0; i < std::min(newFolders, threads_.size()); ++i) work_.notify_one();
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

bool FolderReadAhead::read(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable) {
    SlotPtr slot;
    {
        std::lock_guard lock(mutex_);
        slot = takeSlot(folder);
    }
    // A folder a thread still reads is read here too: its blocks are on their way already, and
    // the walk never waits for another thread, so every stop check stays where it was.
    platform::FolderStamp now;
    if (slot && slot->usable && platform::folderStamp(folder, &now) && now.sameAs(slot->stamp)) {
        for (const platform::DirEntry& entry : slot->entries) {
            if (!onEntry(entry)) break;
        }
        if (undecodable != nullptr) *undecodable += slot->undecodable;
        return true;
    }
    if (started_) return readNow(folder, onEntry, undecodable);
    // Threads start once the walk has waited for the disk a few times: a walk whose folders are
    // at hand would only share its processor with them.
    std::size_t entries = 0;
    const auto began = std::chrono::steady_clock::now();
    const bool readable = readNow(
        folder,
        [&](const platform::DirEntry& entry) {
            ++entries;
            return onEntry(entry);
        },
        undecodable);
    const auto took = std::chrono::steady_clock::now() - began;
    const auto count = static_cast<std::int64_t>(entries);
    const auto expected = kAtHand + kAtHandPerEntry * count;
    ++reads_;
    if (took > expected && ++slowReads_ >= kSlowReadsToStart && slowReads_ * kSlowShare >= reads_) startThreads();
    return readable;
}

void FolderReadAhead::setEnumerationHook(EnumerationHook hook) { enumerationHook.store(hook); }

bool FolderReadAhead::readNow(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable) const {
    const auto enumerate = withTimes_ ? platform::enumerateFolder : platform::enumerateFolderNames;
    const EnumerationHook hook = enumerationHook.load();
    if (hook == nullptr) return enumerate(folder, onEntry, undecodable);
    return enumerate(
        folder,
        [&](const platform::DirEntry& entry) {
            hook(folder);
            return onEntry(entry);
        },
        undecodable);
}

FolderReadAhead::SlotPtr FolderReadAhead::takeSlot(const std::u16string& folder) {
    // The walk goes through the announced folders in order; those after the one it reads now in
    // the queue were nearer, so it passed them (entered already, or left out).
    auto found = std::find_if(queue_.rbegin(), queue_.rend(), [&](const SlotPtr& s) { return s->folder == folder; });
    const auto keep = found == queue_.rend() ? queue_.begin() : std::prev(found.base());
    for (auto it = keep; it != queue_.end(); ++it) leaveQueue(**it);
    SlotPtr slot = found == queue_.rend() || (*keep)->state != Slot::State::kReady ? nullptr : *keep;
    const auto passed = static_cast<std::size_t>(queue_.end() - keep);
    queue_.erase(keep, queue_.end());
    wakeReaders(passed);
    return slot;
}

void FolderReadAhead::leaveQueue(Slot& slot) {
    slot.inQueue = false;
    if (slot.state != Slot::State::kReady) return;
    --readyFolders_;
    readyEntries_ -= slot.entries.size();
}

FolderReadAhead::SlotPtr FolderReadAhead::nextToRead() {
    // The nearest folder nobody reads yet, among the folders the walk enters next. Folders read
    // while they were near may lie further off now (the walk announced nearer ones since).
    const std::size_t window = std::min(queue_.size(), kWindowFolders);
    auto nearest = queue_.end();
    for (std::size_t i = 1; i <= window && nearest == queue_.end(); ++i) {
        if (queue_[queue_.size() - i]->state == Slot::State::kWaiting)
            nearest = queue_.end() - static_cast<std::ptrdiff_t>(i);
    }
    if (nearest == queue_.end()) return nullptr;
    // Their entries make way for the nearer folder; they are read again when they come near.
    for (auto it = queue_.begin(); readyEntries_ >= kEntryBudget && it != nearest; ++it) {
        Slot& far = **it;
        if (far.state != Slot::State::kReady) continue;
        leaveQueue(far);
        far.inQueue = true;
        far.state = Slot::State::kWaiting;
        far.usable = false;
        far.undecodable = 0;
        far.entries = {};
    }
    return readyEntries_ < kEntryBudget ? *nearest : nullptr;
}

void FolderReadAhead::threadMain() {
    std::unique_lock lock(mutex_);
    for (;;) {
        SlotPtr slot;
        work_.wait(lock, [&] { return cancelled_.load(std::memory_order_relaxed) || (slot = nextToRead()); });
        if (cancelled_.load(std::memory_order_relaxed)) return;
        slot->state = Slot::State::kReading;
        lock.unlock();
        readSlot(*slot);
        lock.lock();
        slot->state = Slot::State::kReady;
        if (slot->inQueue) {
            ++readyFolders_;
            readyEntries_ += slot->entries.size();
        } else {
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
