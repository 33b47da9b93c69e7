// SPDX-License-Identifier: MIT
// The nine search commands. The engine comes into being with the first start and keeps its last
// results until shutdown; the six commands that read it fail until then.
#include <array>

#include "core/text.h"
#include "protocol/command_table.h"
#include "search/search_context.h"

namespace tvr::protocol {

namespace {

// A row as the headset reads it: a video's path, or a folder row without its head, which the
// headset puts in front itself. Both row reads give this one text.
std::u16string rowText(search::SearchRow row) {
    if (!row.folder) return std::move(row.path);
    const search::FolderRow& folder = *row.folder;
    return core::format(u"<flag>%d,<type>%d,<dir_name>\"%s\",<disp_name>\"%s\")",
                        {std::int64_t{folder.flag}, std::int64_t{folder.type}, std::u16string_view(row.path),
                         std::u16string_view(folder.displayName)});
}

search::SearchEngine* engineFor(HandlerContext& context) {
    if (!context.search) context.search = search::SearchEngine::create();
    return context.search.get();
}

bool refuseNoSearch(HandlerContext& context) {
    return refuse(context, u"no search has started yet (CM_FIND_FILE, CM_SEARCH_FILE or CM_GETDIR starts one)");
}

bool findFile(HandlerContext& context, CommandCall& call) {
    search::SearchEngine* engine = engineFor(context);
    if (engine == nullptr) return refuse(context, u"the search engine cannot be started");
    engine->startFindFile(call.arg(0), search::makeSearchSettings(context.config));
    return true;
}

bool searchFile(HandlerContext& context, CommandCall& call) {
    search::SearchEngine* engine = engineFor(context);
    if (engine == nullptr) return refuse(context, u"the search engine cannot be started");
    engine->startSearchFile(call.arg(0), search::makeSearchSettings(context.config));
    return true;
}

bool getDir(HandlerContext& context, CommandCall& call) {
    search::SearchEngine* engine = engineFor(context);
    if (engine == nullptr) return refuse(context, u"the search engine cannot be started");
    engine->startGetDir(call.arg(0), search::makeSearchSettings(context.config));
    return true;
}

// The headset learns that a search ended by polling; the user learns then, once, what it left out.
void noteSkippedNames(HandlerContext& context) {
    if (std::optional<library::SkipNote> note = context.search->takeSkipNote()) context.status.note(std::move(*note));
}

bool isFinished(HandlerContext& context, CommandCall& call) {
    if (!context.search) return refuseNoSearch(context);
    call.addEntry(context.search->isFinished(), u"");
    noteSkippedNames(context);
    return true;
}

bool requestCancel(HandlerContext& context, CommandCall&) {
    if (!context.search) return refuseNoSearch(context);
    context.search->requestCancel();
    return true;
}

bool getNum(HandlerContext& context, CommandCall& call) {
    if (!context.search) return refuseNoSearch(context);
    call.addEntry(context.search->rowCount(), u"");
    return true;
}

bool getPath(HandlerContext& context, CommandCall& call) {
    if (!context.search) return refuseNoSearch(context);
    for (auto& row : context.search->rows(call.intArg(0), call.intArg(1))) {
        std::u16string text = rowText(std::move(row));
        const std::int32_t state = context.library.markers().getMarkerState(text);
        call.addEntry(state, std::move(text));
    }
    return true;
}

bool getDirRows(HandlerContext& context, CommandCall& call) {
    if (!context.search) return refuseNoSearch(context);
    for (auto& row : context.search->rows(call.intArg(0), call.intArg(1))) call.addEntry(0, rowText(std::move(row)));
    return true;
}

bool getProgress(HandlerContext& context, CommandCall& call) {
    if (!context.search) return refuseNoSearch(context);
    call.addEntry(context.search->isFinished(), context.search->progress());
    noteSkippedNames(context);
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_FIND_FILE", findFile, "REQUEST", "start looking for a file (poll with CM_SEARCH_ISFINISHED)"},
    CommandRow{u"CM_SEARCH_FILE", searchFile, "REQUEST", "start a search of file names"},
    CommandRow{u"CM_GETDIR", getDir, "REQUEST", "start listing the folders of a folder, or the drives of (Computer)"},
    CommandRow{u"CM_SEARCH_ISFINISHED", isFinished, "", "value 1 when the search has ended"},
    CommandRow{u"CM_SEARCH_REQUESTCANCEL", requestCancel, "", "ask the running search to stop"},
    CommandRow{u"CM_SEARCH_GETNUM", getNum, "", "number of rows found so far"},
    CommandRow{u"CM_SEARCH_GETPATH", getPath, "FIRST COUNT", "rows FIRST on (at most 32) with their marker state"},
    CommandRow{u"CM_SEARCH_GETDIR", getDirRows, "FIRST COUNT", "rows FIRST on (at most 32) with value 0"},
    CommandRow{u"CM_SEARCH_GETPROGRESS", getProgress, "", "whether the search ended (value) and its progress text"},
};

}  // namespace

std::span<const CommandRow> searchCommands() { return kRows; }

}  // namespace tvr::protocol
