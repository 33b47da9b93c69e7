// SPDX-License-Identifier: MIT
// The commands that act on the PC's files directly: CM_PLAY, CM_IS_FIND_PATH, CM_MAKE_DIR,
// CM_MOVE_FILE and CM_COPYTIMESTAMP.
#include <array>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "platform/fs.h"
#include "protocol/command_log.h"
#include "protocol/command_table.h"
#include "stores/vr_format_store.h"

namespace tvr::protocol {

namespace {

bool play(HandlerContext& context, CommandCall& call) {
    const std::u16string& path = call.arg(0);
    bool isFolder = false;
    bool ok = call.intArg(1) == 1 || (core::getPathState(path, &isFolder) && !isFolder);
    logCommand(context, ok ? u"PLAY_FILE" : u"PLAY_FILE:ERROR", core::format(u"path=\"%s\"", {path}));
    if (!ok) return refuse(context, isFolder ? u"the path is a folder, not a video" : u"no such file");
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
    if (core::makeFolderTree(folder)) {
        logCommand(context, u"MAKE_DIR", core::format(u"dir=\"%s\"", {folder}));
        return true;
    }
    logCommand(context, u"ERROR:MAKE_DIR", core::format(u"msg=\"%s\", dir=\"%s\"", {u"***", folder}));
    return refuse(context, u"the folder cannot be made there");
}

void removeFolders(const std::vector<std::u16string>& folders) {
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) platform::removeFolder(*folder);
}

// The video moves with its marker and VR format files. A move that fails before the video moved
// removes the folders it made for it; a step that fails after leaves the video at its new place:
// nothing is moved back.
bool moveFile(HandlerContext& context, CommandCall& call) {
    const std::u16string& to = call.arg(0);
    const std::u16string& from = call.arg(1);
    auto fail = [&](std::u16string_view message, std::u16string_view english) {
        logCommand(context, u"ERROR:MOVE_FILE",
                   core::format(u"msg=\"%s\", to=\"%s\", from=\"%s\"", {message, to, from}));
        return refuse(context, core::format(u"%s (%s)", {english, message}));
    };
    // Extensions and names are judged as the system opens them: Windows moves "secret.txt." as
    // "secret.txt", so its trailing dot must not pass for the extension of "shown.mp4.".
    const std::u16string toOpened = platform::openedPath(to);
    const std::u16string fromOpened = platform::openedPath(from);
    if (!core::isSameRoot(to, from) || toOpened.empty() || fromOpened.empty() ||
        !core::isSameExtension(toOpened, fromOpened)) {
        return fail(u"ドライブまたは拡張子が異なる", u"the drive or the extension differs");
    }
    // The folder that holds the target: a name without an extension is still the file's name.
    const std::u16string_view folder =
        std::u16string_view(to).substr(0, to.size() - core::splitPath(to).nameWithExt.size());
    std::vector<std::u16string> made;
    if (!core::makeFolderTree(folder, &made)) {
        removeFolders(made);
        return refuse(context, u"the destination folder cannot be made");
    }
    if (!platform::moveNoOverwrite(from, to, context.stopRequested)) {
        removeFolders(made);
        return fail(u"同じファイルが存在する、アクセス権が無い等", u"a file of that name exists, or access is denied");
    }
    if (core::splitPath(toOpened).name != core::splitPath(fromOpened).name) {
        if (!context.library.markers().moveMarkerFile(toOpened, fromOpened))
            return fail(u"同じファイル(Marker)が存在する", u"a marker file of the new name exists");
        const std::u16string& vrFolder = context.library.vrFormatFolder();
        if (!vrFolder.empty() && !stores::moveVrFormatFile(vrFolder, toOpened, fromOpened)) {
            return fail(u"同じファイル(VRFormat)が存在する", u"a VR format file of the new name exists");
        }
    }
    logCommand(context, u"MOVE_FILE", core::format(u"to=\"%s\", from=\"%s\"", {to, from}));
    return true;
}

// The destination takes the source's times; where the OS cannot set a creation time (Linux),
// the access and write times are set.
bool copyTimestamp(HandlerContext& context, CommandCall& call) {
    platform::FileTimes times;
    if (platform::pathKind(call.arg(1)) != platform::PathKind::File || !platform::getFileTimes(call.arg(1), &times))
        return refuse(context, u"the source file (argument 1) cannot be read");
    if (platform::pathKind(call.arg(0)) != platform::PathKind::File || !platform::setFileTimes(call.arg(0), times))
        return refuse(context, u"the destination file (argument 0) cannot be changed");
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_PLAY", play, "PATH MODE", "check that a video exists (MODE 1 skips the check) and log it"},
    CommandRow{u"CM_IS_FIND_PATH", isFindPath, "PATH", "value 0 missing, 1 a folder, 2 a file"},
    CommandRow{u"CM_MAKE_DIR", makeDir, "FOLDER", "make a folder and the folders above it"},
    CommandRow{u"CM_MOVE_FILE", moveFile, "NEW_PATH CURRENT_PATH",
               "move a video with its markers and VR format (same drive and extension, never over a file)"},
    CommandRow{u"CM_COPYTIMESTAMP", copyTimestamp, "DESTINATION SOURCE", "give DESTINATION the file times of SOURCE"},
};

}  // namespace

std::span<const CommandRow> fileCommands() { return kRows; }

}  // namespace tvr::protocol
