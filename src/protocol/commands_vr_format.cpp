// SPDX-License-Identifier: MIT
// CM_SAVE_VR_FORMAT and CM_LOAD_VR_FORMAT: the projection the headset chose for a video.
#include <array>

#include "protocol/command_table.h"
#include "protocol/status_codes.h"
#include "stores/vr_format_store.h"

namespace tvr::protocol {

namespace {

// The text between the first double quote after the tag and the next one; empty without both.
std::u16string quotedAfter(std::u16string_view text, std::u16string_view tag) {
    const std::size_t at = text.find(tag);
    if (at == std::u16string_view::npos) return {};
    const std::size_t open = text.find(u'"', at + tag.size());
    if (open == std::u16string_view::npos) return {};
    const std::size_t close = text.find(u'"', open + 1);
    if (close == std::u16string_view::npos) return {};
    return std::u16string(text.substr(open + 1, close - open - 1));
}

bool saveVrFormat(HandlerContext& context, CommandCall& call) {
    const std::u16string& folder = context.library.vrFormatFolder();
    const stores::VrFormat format{quotedAfter(call.arg(1), u"<layout>"), quotedAfter(call.arg(1), u"<screen>")};
    if (folder.empty() || !stores::saveVrFormatFile(folder, format, call.arg(0))) {
        context.status.post(status::kError, status::kErrorText, status::kSaveVrFormatFailed);
        return false;
    }
    return true;
}

bool loadVrFormat(HandlerContext& context, CommandCall& call) {
    const std::u16string& folder = context.library.vrFormatFolder();
    stores::VrFormat format;
    if (!folder.empty() && stores::loadVrFormat(folder, call.arg(0), &format)) {
        call.addEntry(1, u"<layout>\"" + format.layout + u"\",<screen>\"" + format.screen + u"\"");
    } else {
        call.addEntry(0, u"");
    }
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_SAVE_VR_FORMAT", saveVrFormat},
    CommandRow{u"CM_LOAD_VR_FORMAT", loadVrFormat},
};

}  // namespace

std::span<const CommandRow> vrFormatCommands() { return kRows; }

}  // namespace tvr::protocol
