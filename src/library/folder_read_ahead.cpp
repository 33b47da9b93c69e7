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
    std::u16string name;  // in the parent, which it opens by when there is one
    FolderPtr parent;
    State state = State::kWaiting;
    bool inQueue = true;  // still announced; false once the walk took or passed it
    bool wanted = false;  // the walk took it: what a thread reads of it goes to the walk
    bool usable = false;  // the entries are the folder's whole content at the stamp
    FolderPtr handle;     // the thread's open; null when it could not open the folder
    platform::FolderStamp stamp;
    std::vector<platform::DirEntry> entries;
    std::size_t undecodable = 0;
    platform::PathKind lookedFor = platform::PathKind::Missing;  // the name looked for, when usable
};

FolderReadAhead::FolderReadAhead(bool withTimes, Start start, StopCheck stop)
    : withTimes_(withTimes), start_(withTimes ? Start::kAtOnce : start), stop_(std::move(stop)) {}

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

FolderReadAhead::FolderPtr FolderReadAhead::openFolder(const FolderPtr& parent, const std::u16string& pathOrName) {
    const std::shared_ptr<std::atomic<std::size_t>> held = heldFolders_;
    ++*held;
    auto* folder = new platform::OpenFolder(parent.get(), pathOrName);
    return FolderPtr(folder, [held](platform::OpenFolder* closed) {
        delete closed;
        --*held;
    });
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
    std::vector<SlotPtr> slots;
    for (const std::u16string& folder : folders) {
        slots.push_back(std::make_shared<Slot>());
        slots.back()->folder = folder;
    }
    announceSlots(std::move(slots));
}

void FolderReadAhead::announceSubFolders(const std::u16string& folder, std::vector<std::u16string>& names) {
    // The folder held open lets its sub-folders open by name, unless too many are held already
    // (a deep tree): those open by their path.
    FolderPtr parent;
    if (opened_.handle && opened_.folder == folder && *heldFolders_ < kMaxHeldFolders) parent = opened_.handle;
    opened_ = Opened{};
    std::vector<SlotPtr> slots;
    std::u16string path;
    for (std::u16string& name : names) {
        path = folder;
        core::appendPath(path, name);
        auto slot = std::make_shared<Slot>();
        slot->folder = path;
        if (parent) slot->name = name;
        slot->parent = parent;
        slots.push_back(std::move(slot));
        name.swap(path);
    }
    announceSlots(std::move(slots));
}

void FolderReadAhead::announceSlots(std::vector<SlotPtr> slots) {
    if (slots.empty()) return;
    const std::size_t count = slots.size();
    {
        std::lock_guard lock(mutex_);
        for (auto it = slots.rbegin(); it != slots.rend(); ++it) queue_.push_back(std::move(*it));
    }
    if (!started_ && start_ == Start::kAtOnce) {
        startThreads();
    } else if (started_ && threads_.size() < kThreads) {
        addThreads();
    }
    wakeReaders(count);
}

void FolderReadAhead::wakeReaders(std::size_t newFolders) {
    // One thread per folder that came within reach: waking every thread for each folder the walk
    // takes would cost more processor time than the reads on a warm cache.
    for (std::size_t i = 0; i < std::min(newFolders, threads_.size()); ++i) work_.notify_one();
}

void FolderReadAhead::waitWhileRead(std::unique_lock<std::mutex>& lock, const Slot& slot) {
    // Its open and read are under way: reading it again would wait for the share once more. The
    // stop check is asked meanwhile, so a stop does not wait for a slow folder.
    while (slot.state != Slot::State::kReady) {
        if (done_.wait_for(lock, 10ms, [&] { return slot.state == Slot::State::kReady; })) return;
        lock.unlock();
        const bool stopped = stop_ && stop_();
        lock.lock();
        if (stopped) return;
    }
}

bool FolderReadAhead::open(const std::u16string& folder, platform::FileIdentity* identity) {
    opened_ = Opened{};
    opened_.folder = folder;
    SlotPtr slot;
    {
        std::unique_lock lock(mutex_);
        slot = takeSlot(folder);
        if (slot && slot->state == Slot::State::kReading) waitWhileRead(lock, *slot);
        if (slot && slot->state != Slot::State::kReady) {
            if (slot->state == Slot::State::kReading) return false;  // stopped while it was read
            slot->wanted = false;
        }
    }
    if (slot && slot->state == Slot::State::kReady && slot->handle) {
        // What the system holds of the folder tells whether its entries are still those read.
        platform::FolderStamp now;
        if (!slot->usable) {
            opened_.handle = slot->handle;  // opened but not read: read it now
        } else if (slot->handle->heldStamp(&now) && now.sameAs(slot->stamp)) {
            opened_.handle = slot->handle;
            opened_.slot = slot;
        }
    }
    if (!opened_.handle) {
        const auto began = std::chrono::steady_clock::now();
        const bool byName = slot && slot->parent;
        opened_.handle = openFolder(byName ? slot->parent : nullptr, byName ? slot->name : folder);
        opened_.openTook = std::chrono::steady_clock::now() - began;
        opened_.timed = !started_;
        // On a share every request waits a round trip: the threads start with the first folder.
        if (!shareChecked_ && opened_.handle->isOpen()) {
            shareChecked_ = true;
            if (!started_ && opened_.handle->onShare()) startThreads();
        }
    }
    if (!opened_.handle->isOpen()) return false;
    *identity = opened_.handle->identity();
    return true;
}

bool FolderReadAhead::readOpened(const EntryVisit& onEntry, std::size_t* undecodable) {
    if (opened_.slot) {
        for (const platform::DirEntry& entry : opened_.slot->entries) {
            if (!onEntry(entry)) break;
        }
        if (undecodable != nullptr) *undecodable += opened_.slot->undecodable;
        return true;
    }
    if (!opened_.handle || !opened_.handle->isOpen()) return false;
    if (started_ || !opened_.timed) return readEntries(*opened_.handle, opened_.folder, onEntry, undecodable);
    return readTimed(onEntry, undecodable);
}

void FolderReadAhead::setEnumerationHook(EnumerationHook hook) { enumerationHook.store(hook); }

bool FolderReadAhead::readEntries(platform::OpenFolder& handle, const std::u16string& folder, const EntryVisit& onEntry,
                                  std::size_t* undecodable) const {
    const EnumerationHook hook = enumerationHook.load();
    if (hook == nullptr) return handle.read(withTimes_, onEntry, undecodable);
    return handle.read(
        withTimes_,
        [&](const platform::DirEntry& entry) {
            hook(folder);
            return onEntry(entry);
        },
        undecodable);
}

bool FolderReadAhead::readTimed(const EntryVisit& onEntry, std::size_t* undecodable) {
    // Threads start once the walk has waited for the disk a few times: a walk whose folders are
    // at hand would only share its processor with them.
    std::size_t entries = 0;
    const auto began = std::chrono::steady_clock::now();
    const bool readable = readEntries(
        *opened_.handle, opened_.folder,
        [&](const platform::DirEntry& entry) {
            ++entries;
            return onEntry(entry);
        },
        undecodable);
    const auto took = std::chrono::steady_clock::now() - began + opened_.openTook;
    const auto count = static_cast<std::int64_t>(entries);
    const auto expected = kAtHand + kAtHandPerEntry * count;
    ++reads_;
    if (took > expected && ++slowReads_ >= kSlowReadsToStart && slowReads_ * kSlowShare >= reads_) startThreads();
    return readable;
}

platform::PathKind FolderReadAhead::kindInOpened(std::u16string_view name) {
    if (opened_.slot && name == lookedFor_) return opened_.slot->lookedFor;
    if (opened_.handle && opened_.handle->isOpen()) return opened_.handle->kindOf(name);
    std::u16string path = opened_.folder;
    core::appendPath(path, name);
    return platform::pathKind(path);
}

bool FolderReadAhead::read(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable) {
    platform::FileIdentity identity;
    return open(folder, &identity) && readOpened(onEntry, undecodable);
}

FolderReadAhead::SlotPtr FolderReadAhead::takeSlot(const std::u16string& folder) {
    // The walk goes through the announced folders in order; those after the one it reads now in
    // the queue were nearer, so it passed them (entered already, or left out).
    auto found = std::find_if(queue_.rbegin(), queue_.rend(), [&](const SlotPtr& s) { return s->folder == folder; });
    const auto keep = found == queue_.rend() ? queue_.begin() : std::prev(found.base());
    SlotPtr slot = found == queue_.rend() ? nullptr : *keep;
    if (slot) slot->wanted = true;
    for (auto it = keep; it != queue_.end(); ++it) leaveQueue(**it);
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
    if (!slot.wanted) forget(slot);
}

void FolderReadAhead::forget(Slot& slot) {
    slot.usable = false;
    slot.undecodable = 0;
    slot.entries = {};
    slot.handle = nullptr;
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
    // Their entries and open folders make way for the nearer folder; they are read again when
    // they come near.
    const auto full = [&] { return readyEntries_ >= kEntryBudget || readyFolders_ >= kWindowFolders; };
    for (auto it = queue_.begin(); full() && it != nearest; ++it) {
        Slot& far = **it;
        if (far.state != Slot::State::kReady) continue;
        leaveQueue(far);
        far.inQueue = true;
        far.state = Slot::State::kWaiting;
    }
    return full() ? nullptr : *nearest;
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
        } else if (!slot->wanted) {
            forget(*slot);  // passed by the walk: nobody will read it
        }
        done_.notify_all();
    }
}

void FolderReadAhead::readSlot(Slot& slot) {
    FolderPtr handle = openFolder(slot.parent, slot.parent ? slot.name : slot.folder);
    if (!handle->isOpen()) return;  // the walk tries it again itself
    slot.handle = handle;
    // The open brought the stamp, so any change during the read shows at the walk's look. A
    // folder that changed a moment ago may change again within one time stamp: the walk reads
    // it itself, from this open.
    slot.stamp = handle->stamp();
    if (!slot.stamp.quiet ||
        std::find(skippedDevices_.begin(), skippedDevices_.end(), slot.stamp.device) != skippedDevices_.end()) {
        return;
    }
    bool whole = true;
    bool seen = false;
    const auto keep = [&](const platform::DirEntry& entry) {
        if (cancelled_.load(std::memory_order_relaxed) || slot.entries.size() >= kMaxFolderEntries) {
            whole = false;
            return false;
        }
        if (!lookedFor_.empty() && entry.name == lookedFor_) {
            seen = true;
            slot.lookedFor = entry.isFolder ? platform::PathKind::Folder : platform::PathKind::File;
        }
        slot.entries.push_back(entry);
        return true;
    };
    const bool readable = readEntries(*handle, slot.folder, keep, &slot.undecodable);
    slot.usable = readable && whole;
    if (!slot.usable) {
        slot.entries = {};
        slot.undecodable = 0;
        return;
    }
    // A name the folder does not list may still open (a file system that ignores case).
    if (!lookedFor_.empty() && !seen) slot.lookedFor = handle->kindOf(lookedFor_);
}

}  // namespace tvr::library
