// SPDX-License-Identifier: MIT
#pragma once
// Reads the folders a walk enters next on a few threads of its own while the walk handles the
// folder before them, so that a cold disk or a network share serves several folders at once
// instead of one entry at a time. The walk keeps every decision and the order: it announces the
// sub-folders it will enter, in its own order, and reads each folder through here. A folder read
// ahead is handed over only when its stamp shows it unchanged since; otherwise the walk reads it
// again as it is now, so a read-ahead result is never older than a folder's last change.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/fs.h"

namespace tvr::library {

class FolderReadAhead {
public:
    using EntryVisit = std::function<bool(const platform::DirEntry&)>;

    /// Threads that read ahead at most; each holds one folder read at a time.
    static constexpr std::size_t kThreads = 6;
    /// Threads read only among this many folders the walk enters next.
    static constexpr std::size_t kWindowFolders = 64;
    /// Entries held for folders read ahead at most (before a thread starts another folder; the
    /// entries of folders further off make way for a nearer one).
    static constexpr std::size_t kEntryBudget = 16384;
    /// A folder with more entries is left to the walk itself (its start is in the cache then).
    static constexpr std::size_t kMaxFolderEntries = 4096;

    /// Called on the reading thread (the walk's or a read-ahead thread) before each entry a folder's enumeration gives.
    using EnumerationHook = void (*)(std::u16string_view folder);
    /// Installs the hook for every read-ahead of the process (nullptr: none); lets tests count and pace reads.
    static void setEnumerationHook(EnumerationHook hook);

    /// When the threads start.
    enum class Start {
        kWhenSlow,  // once the walk's own reads have waited for the disk a few times
        kAtOnce,    // with the first folders announced
    };

    /// withTimes: entries carry their last-write times (enumerateFolder), else names and folder
    /// flags only (enumerateFolderNames). A walk with times starts its threads at once: a look-up
    /// per entry pays off on a warm cache too.
    explicit FolderReadAhead(bool withTimes, Start start = Start::kWhenSlow);
    /// Ends the read-ahead at once and joins its threads: none starts another folder, and one
    /// mid-folder leaves it at the next entry.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    /// The folders the walk enters next, in its order, all before those announced earlier.
    void announce(const std::vector<std::u16string>& folders);
    /// Turns the names of the folder's sub-folders, in the walk's order, into their paths and
    /// announces them.
    void announceSubFolders(const std::u16string& folder, std::vector<std::u16string>& names);
    /// Visits the folder's entries as the enumeration would now (onEntry false stops): those read
    /// ahead when the folder is unchanged since, else read now; false when it cannot be read.
    bool read(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable);
    /// Waits at most timeout until this many announced folders are read ahead; for benches and
    /// tests that must know the threads have read before they change a folder.
    bool waitReady(std::size_t folders, std::chrono::milliseconds timeout);

private:
    struct Slot;
    using SlotPtr = std::shared_ptr<Slot>;

    bool readNow(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable) const;
    SlotPtr takeSlot(const std::u16string& folder);  // with mutex_ held; a slot read ahead or none
    void leaveQueue(Slot& slot);
    void wakeReaders(std::size_t newFolders);
    void startThreads();
    void addThreads();
    SlotPtr nextToRead();
    void readSlot(Slot& slot);
    void threadMain();

    const bool withTimes_;
    const Start start_;
    bool started_ = false;  // the walk's thread alone reads and writes these three
    int slowReads_ = 0;
    int reads_ = 0;
    std::vector<std::uint64_t> skippedDevices_;  // pseudo file systems: never read ahead
    std::mutex mutex_;
    std::condition_variable work_;  // a folder to read, room in the window, or the end
    std::condition_variable done_;  // a folder read (for waitReady)
    std::vector<SlotPtr> queue_;    // announced and not yet taken, the next one last
    std::size_t readyFolders_ = 0;  // read and waiting in the queue
    std::size_t readyEntries_ = 0;
    std::atomic<bool> cancelled_{false};
    std::vector<std::thread> threads_;
};

}  // namespace tvr::library
