// SPDX-License-Identifier: MIT
// CM_SAVE_VR_FORMAT and CM_LOAD_VR_FORMAT: the projection the headset chose for a video.
#include <array>

#include "core/paths.h"
#include "core/text.h"
#include "protocol/command_table.h"
#include "protocol/status_codes.h"
#include "stores/vr_format_store.h"

namespace tvr::protocol {

namespace {

bool saveVrFormat(HandlerContext& context, CommandCall& call) {
    const std::u16string& folder = context.library.vrFormatFolder();
    // A value without its closing quote is stored empty.
    const stores::VrFormat format{core::quotedAfter(call.arg(1), u"<layout>").value_or(u""),
                                  core::quotedAfter(call.arg(1), u"<screen>").value_or(u"")};
    // Kept under the name the system opens, as the markers are.
    if (folder.empty() || !stores::saveVrFormatFile(folder, format, core::openedName(call.arg(0)))) {
        context.status.post(status::kError, status::kErrorText, status::kSaveVrFormatFailed);
        return false;
    }
    return true;
}

bool loadVrFormat(HandlerContext& context, CommandCall& call) {
    const std::u16string& folder = context.library.vrFormatFolder();
    stores::VrFormat format;
    if (!folder.empty() && stores::loadVrFormat(folder, core::openedName(call.arg(0)), &format)) {
        call.addEntry(1, u"<layout>\"" + format.layout + u"\",<screen>\"" + format.screen + u"\"");
    } else {
        call.addEntry(0, u"");
    }
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_SAVE_VR_FORMAT", saveVrFormat, "PATH TEXT",
               "save a video's VR format: <layout>\"L\",<screen>\"S\""},
    CommandRow{u"CM_LOAD_VR_FORMAT", loadVrFormat, "PATH", "a video's VR format: value 1 and the text, or 0"},
};

}  // namespace

std::span<const CommandRow> vrFormatCommands() { return kRows; }

}  // namespace tvr::protocol
