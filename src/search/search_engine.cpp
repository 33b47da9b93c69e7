// SPDX-License-Identifier: MIT
#include "search/search_engine.h"

#include <cstdio>
#include <exception>
#include <system_error>

#include "search/folder_rows.h"
#include "search/search_file_worker.h"

namespace tvr::search {

std::unique_ptr<SearchEngine> SearchEngine::create() {
    std::unique_ptr<SearchEngine> engine(new SearchEngine());
    try {
        engine->thread_ = std::thread([raw = engine.get()] { raw->threadMain(); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return engine;
}

SearchEngine::~SearchEngine() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.reset();
        // A walk notices this between two directory entries, so the join below is short.
        cancel_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void SearchEngine::startFindFile(std::u16string_view path, SearchSettings settings) {
    start(Kind::FindFile, path, std::move(settings));
}

void SearchEngine::startSearchFile(std::u16string_view text, SearchSettings settings) {
    start(Kind::SearchFile, text, std::move(settings));
}

void SearchEngine::startGetDir(std::u16string_view folder, SearchSettings settings) {
    start(Kind::GetDir, folder, std::move(settings));
}

void SearchEngine::start(Kind kind, std::u16string_view text, SearchSettings settings) {
    std::unique_lock lock(mutex_);
    if (running_) {
        // The headset always reads the rows of the request it started last, so the running one
        // stops first; it notices the cancel between two directory entries.
        cancel_ = true;
        changed_.wait(lock, [this] { return !running_; });
    }
    cancel_ = false;
    results_.clear();
    accepted_ = settings.config.extensions;
    skipNoteTaken_ = false;
    pending_ = Request{kind, std::u16string(text), std::move(settings)};
    lock.unlock();
    changed_.notify_all();
}

std::int32_t SearchEngine::isFinished() const {
    std::lock_guard lock(mutex_);
    return pending_ || running_ ? 0 : 1;
}

void SearchEngine::requestCancel() {
    std::lock_guard lock(mutex_);
    if (pending_ || running_) cancel_ = true;
}

std::u16string SearchEngine::progress() const {
    std::lock_guard lock(mutex_);
    return pending_ || running_ ? results_.progress() : std::u16string();
}

std::int32_t SearchEngine::rowCount() const { return results_.count(); }

std::vector<SearchRow> SearchEngine::rows(std::int32_t first, std::int32_t count) const {
    return results_.window(first, count);
}

std::optional<library::SkipNote> SearchEngine::takeSkipNote() {
    std::lock_guard lock(mutex_);
    if (pending_ || running_ || skipNoteTaken_) return std::nullopt;
    const library::SkippedFiles skipped = results_.skipped();
    if (skipped.total() == 0) return std::nullopt;
    skipNoteTaken_ = true;
    return library::makeSkipNote(-1, results_.count(), skipped, accepted_);
}

void SearchEngine::threadMain() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || pending_.has_value(); });
        if (stopping_) return;
        const Request request = std::move(*pending_);
        pending_.reset();
        running_ = true;
        lock.unlock();
        try {
            run(request);
        } catch (const std::exception& error) {
            // The request ends with the rows it has; the engine serves the next one.
            std::fprintf(stderr, "search: %s; the request ends here\n", error.what());
        }
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

void SearchEngine::run(const Request& request) {
    const SearchContext context{request.settings, results_, cancel_};
    switch (request.kind) {
        case Kind::FindFile:
            findFile_.run(request.text, context);
            break;
        case Kind::SearchFile:
            searchFileNames(request.text, context);
            break;
        case Kind::GetDir:
            listFolderRows(request.text, context);
            break;
    }
}

}  // namespace tvr::search
