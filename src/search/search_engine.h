// SPDX-License-Identifier: MIT
#pragma once
// The search engine behind CM_FIND_FILE, CM_SEARCH_FILE, CM_GETDIR and the CM_SEARCH_* reads:
// one thread that runs one request at a time while the control thread starts, polls, cancels
// and reads rows. The results of the last request stay until the next start.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "search/find_file_worker.h"
#include "search/search_context.h"
#include "search/search_results.h"

namespace tvr::search {

class SearchEngine {
public:
    /// A running engine, or nullptr when its thread cannot be started.
    static std::unique_ptr<SearchEngine> create();
    /// Cancels the running request and joins the thread before anything it uses is freed.
    ~SearchEngine();
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    /// Finds the file named by path (remembered folder, its own folder's tree, search-folder list).
    void startFindFile(std::u16string_view path, SearchSettings settings);
    /// Searches video file names below the search-folder list for text.
    void startSearchFile(std::u16string_view text, SearchSettings settings);
    /// Lists the sub-folders of folder, or the PC folder list and drives for "(Computer)".
    void startGetDir(std::u16string_view folder, SearchSettings settings);
    /// 1 when no request is pending or running, else 0 (also right after a start).
    std::int32_t isFinished() const;
    /// Asks the pending or running request to stop; its rows so far stay.
    void requestCancel();
    /// The folder the running request scans; empty when none is pending or running.
    std::u16string progress() const;
    /// The number of result rows.
    std::int32_t rowCount() const;
    /// Up to 32 rows from first on; none for a negative first or a count below 1.
    std::vector<SearchRow> rows(std::int32_t first, std::int32_t count) const;
    /// Once per request, after it ended: what a name search left out for its extension, when it
    /// left out anything.
    std::optional<library::SkipNote> takeSkipNote();

private:
    enum class Kind { FindFile, SearchFile, GetDir };
    struct Request {
        Kind kind;
        std::u16string text;
        SearchSettings settings;
    };

    SearchEngine() = default;
    void start(Kind kind, std::u16string_view text, SearchSettings settings);
    void threadMain();
    void run(const Request& request);

    mutable std::mutex mutex_;  // guards pending_, running_, stopping_
    std::condition_variable changed_;
    std::optional<Request> pending_;
    bool running_ = false;
    bool stopping_ = false;
    std::u16string accepted_;     // the extensions setting of the last request
    bool skipNoteTaken_ = false;  // its skip note went out
    std::atomic<bool> cancel_{false};
    SearchResults results_;
    FindFileWorker findFile_;  // used on the engine thread only; keeps the folder of the last hit
    std::thread thread_;
};

}  // namespace tvr::search
