// SPDX-License-Identifier: MIT
// The commands that act on the PC's files directly: CM_PLAY, CM_IS_FIND_PATH, CM_MAKE_DIR and
// CM_COPYTIMESTAMP.
#include <array>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "protocol/command_log.h"
#include "protocol/command_table.h"

namespace tvr::protocol {

namespace {

bool play(HandlerContext& context, CommandCall& call) {
    const std::u16string& path = call.arg(0);
    bool isFolder = false;
    bool ok = call.intArg(1) == 1 || (core::getPathState(path, &isFolder) && !isFolder);
    logCommand(context, ok ? u"PLAY_FILE" : u"PLAY_FILE:ERROR", core::format(u"path=\"%s\"", {path}));
    return ok;
}

bool isFindPath(HandlerContext&, CommandCall& call) {
    bool isFolder = false;
    std::int32_t state = 0;
    if (!call.arg(0).empty() && core::getPathState(call.arg(0), &isFolder)) state = isFolder ? 1 : 2;
    call.addEntry(state, u"");
    return true;
}

bool makeDir(HandlerContext& context, CommandCall& call) {
    const std::u16string& folder = call.arg(0);
    if (core::makeFolderTree(folder) == 1) {
        logCommand(context, u"MAKE_DIR", core::format(u"dir=\"%s\"", {folder}));
        return true;
    }
    logCommand(context, u"ERROR:MAKE_DIR", core::format(u"msg=\"%s\", dir=\"%s\"", {u"***", folder}));
    return false;
}

// The destination takes the source's times; where the OS cannot set a creation time (Linux),
// the access and write times are set.
bool copyTimestamp(HandlerContext&, CommandCall& call) {
    platform::FileTimes times;
    if (platform::pathKind(call.arg(1)) != platform::PathKind::File) return false;
    if (!platform::getFileTimes(call.arg(1), &times)) return false;
    if (platform::pathKind(call.arg(0)) != platform::PathKind::File) return false;
    return platform::setFileTimes(call.arg(0), times);
}

constexpr std::array kRows{
    CommandRow{u"CM_PLAY", play},
    CommandRow{u"CM_IS_FIND_PATH", isFindPath},
    CommandRow{u"CM_MAKE_DIR", makeDir},
    CommandRow{u"CM_COPYTIMESTAMP", copyTimestamp},
};

}  // namespace

std::span<const CommandRow> fileCommands() { return kRows; }

}  // namespace tvr::protocol
