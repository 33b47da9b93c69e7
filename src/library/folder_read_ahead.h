// SPDX-License-Identifier: MIT
#pragma once
// Reads the folders a walk enters next on a few threads of its own while the walk handles the
// folder before them, so that a cold disk or a network share serves several folders at once
// instead of one entry at a time. The walk keeps every decision and the order: it announces the
// sub-folders it will enter, in its own order, and opens and reads each folder through here.
// Sub-folders open by name in their parent, held open, and what the walk needs of a folder (its
// identity, stamp and entries) comes with that open and read. A folder read ahead is handed over
// only when its stamp shows it unchanged since; otherwise the walk reads it again as it is now,
// so a read-ahead result is never older than a folder's last change the system knows of.
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
#include "platform/open_folder.h"

namespace tvr::library {

class FolderReadAhead {
public:
    using EntryVisit = std::function<bool(const platform::DirEntry&)>;
    /// Asked while the walk waits for a folder a thread is reading; true ends the wait.
    using StopCheck = std::function<bool()>;

    /// Threads that read ahead at most; each holds one folder read at a time.
    static constexpr std::size_t kThreads = 6;
    /// Threads read only among this many folders the walk enters next; at most this many wait read.
    static constexpr std::size_t kWindowFolders = 64;
    /// Entries held for folders read ahead at most (before a thread starts another folder; the
    /// entries of folders further off make way for a nearer one).
    static constexpr std::size_t kEntryBudget = 16384;
    /// A folder with more entries is left to the walk itself (its start is in the cache then).
    static constexpr std::size_t kMaxFolderEntries = 4096;
    /// Folders held open at most before sub-folders are opened by their whole path instead.
    static constexpr std::size_t kMaxHeldFolders = 128;

    /// Called on the reading thread (the walk's or a read-ahead thread) before each entry a folder's enumeration gives.
    using EnumerationHook = void (*)(std::u16string_view folder);
    /// Installs the hook for every read-ahead of the process (nullptr: none); lets tests count and pace reads.
    static void setEnumerationHook(EnumerationHook hook);

    /// When the threads start.
    enum class Start {
        kWhenSlow,  // once the walk's own reads have waited for the disk a few times, or at the
                    // first folder when it lies on a network share
        kAtOnce,    // with the first folders announced
    };

    /// withTimes: entries carry their last-write times (enumerateFolder), else names and folder
    /// flags only (enumerateFolderNames). A walk with times starts its threads at once: a look-up
    /// per entry pays off on a warm cache too. stop is asked while the walk waits for a thread.
    explicit FolderReadAhead(bool withTimes, Start start = Start::kWhenSlow, StopCheck stop = {});
    /// Ends the read-ahead at once and joins its threads: none starts another folder, and one
    /// mid-folder leaves it at the next entry.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    /// Looks the name up in every folder read, for kindInOpened (before the first announcement).
    void lookFor(std::u16string name) { lookedFor_ = std::move(name); }
    /// The folders the walk enters next, in its order, all before those announced earlier.
    void announce(const std::vector<std::u16string>& folders);
    /// Turns the names of the folder's sub-folders, in the walk's order, into their paths and
    /// announces them; they open by name in the folder when it is the one opened last.
    void announceSubFolders(const std::u16string& folder, std::vector<std::u16string>& names);
    /// Opens the folder the walk enters now (as a thread opened it, when one did): its identity,
    /// or false when it cannot be opened. readOpened and kindInOpened then work on it.
    bool open(const std::u16string& folder, platform::FileIdentity* identity);
    /// Visits the entries of the folder opened last as the enumeration would now (onEntry false
    /// stops): those read ahead when the folder is unchanged since, else read now; false when it
    /// cannot be read.
    bool readOpened(const EntryVisit& onEntry, std::size_t* undecodable);
    /// What the name is in the folder opened last (the look-up made with its read ahead, when
    /// the name is the one looked for), as pathKind says of its path.
    platform::PathKind kindInOpened(std::u16string_view name);
    /// Opens the folder and visits its entries (open, then readOpened).
    bool read(const std::u16string& folder, const EntryVisit& onEntry, std::size_t* undecodable);
    /// Waits at most timeout until this many announced folders are read ahead; for benches and
    /// tests that must know the threads have read before they change a folder.
    bool waitReady(std::size_t folders, std::chrono::milliseconds timeout);

private:
    struct Slot;
    using SlotPtr = std::shared_ptr<Slot>;
    using FolderPtr = std::shared_ptr<platform::OpenFolder>;
    // The folder the walk opened last.
    struct Opened {
        std::u16string folder;
        FolderPtr handle;  // null when it could not be opened
        SlotPtr slot;      // its entries read ahead and still the folder's, or null
        std::chrono::steady_clock::duration openTook{};
        bool timed = false;  // the walk opened it itself before the threads started
    };

    FolderPtr openFolder(const FolderPtr& parent, const std::u16string& pathOrName);
    void announceSlots(std::vector<SlotPtr> slots);
    void waitWhileRead(std::unique_lock<std::mutex>& lock, const Slot& slot);
    bool readTimed(const EntryVisit& onEntry, std::size_t* undecodable);
    bool readEntries(platform::OpenFolder& handle, const std::u16string& folder, const EntryVisit& onEntry,
                     std::size_t* undecodable) const;  // through the enumeration hook
    SlotPtr takeSlot(const std::u16string& folder);    // with mutex_ held; the announced slot or none
    void leaveQueue(Slot& slot);
    void forget(Slot& slot);
    void wakeReaders(std::size_t newFolders);
    void startThreads();
    void addThreads();
    SlotPtr nextToRead();
    void readSlot(Slot& slot);
    void threadMain();

    // Counts the folders held open; first, so that it outlives every folder held below.
    std::shared_ptr<std::atomic<std::size_t>> heldFolders_ = std::make_shared<std::atomic<std::size_t>>(0);
    const bool withTimes_;
    const Start start_;
    const StopCheck stop_;
    std::u16string lookedFor_;
    bool started_ = false;       // the walk's thread alone reads and writes these four
    bool shareChecked_ = false;  // the first folder opened told whether it lies on a share
    int slowReads_ = 0;
    int reads_ = 0;
    Opened opened_;
    std::vector<std::uint64_t> skippedDevices_;  // pseudo file systems: never read ahead
    std::mutex mutex_;
    std::condition_variable work_;  // a folder to read, room in the window, or the end
    std::condition_variable done_;  // a folder read (for the walk and waitReady)
    std::vector<SlotPtr> queue_;    // announced and not yet taken, the next one last
    std::size_t readyFolders_ = 0;  // read and waiting in the queue
    std::size_t readyEntries_ = 0;
    std::atomic<bool> cancelled_{false};
    std::vector<std::thread> threads_;
};

}  // namespace tvr::library
