// SPDX-License-Identifier: MIT
// CM_GET_MARKER_LIST, CM_SAVE_MARKER and CM_LOAD_MARKER over the marker store.
#include <array>

#include "core/paths.h"
#include "core/text.h"
#include "protocol/command_table.h"
#include "protocol/status_codes.h"
#include "protocol/tagged_message.h"

namespace tvr::protocol {

namespace {

// The headset reads a video's markers as "<en.0>%d,<a.0>%I64d,<b.0>%I64d,..." over all eight slots.
std::u16string markerText(const stores::MarkerRecord& marker) {
    std::u16string text;
    for (std::size_t slot = 0; slot < marker.slots.size(); ++slot) {
        const stores::MarkerSlot& s = marker.slots[slot];
        const auto n = static_cast<std::int64_t>(slot);
        if (slot > 0) text += u',';
        text +=
            core::format(u"<en.%d>%d,<a.%d>%I64d,<b.%d>%I64d", {n, std::int64_t{s.enabled}, n, s.pointA, n, s.pointB});
    }
    return text;
}

// A video's markers are kept under the name the system opens: on Windows "a.mp4." and a short
// name are the files "a.mp4" and the long name, and must not get marker files of their own.
bool getMarkerList(HandlerContext& context, CommandCall& call) {
    for (int i = 0; i < 4 && !call.arg(i).empty(); ++i) {
        call.addEntry(context.library.markers().resolveMarkerState(core::openedName(call.arg(i))), call.arg(i));
    }
    return true;
}

bool saveMarker(HandlerContext& context, CommandCall& call) {
    stores::MarkerRecord marker;
    marker.path = core::openedName(call.arg(0));
    std::u16string_view text = call.arg(1);
    for (int n = 0; n < static_cast<int>(marker.slots.size()); ++n) {
        stores::MarkerSlot& slot = marker.slots[static_cast<std::size_t>(n)];
        slot.enabled = intAfterKey(text, indexedKey(u"<en.%d>", n)).value_or(0) == 1 ? 1 : 0;
        slot.pointA = int64AfterKey(text, indexedKey(u"<a.%d>", n)).value_or(0);
        slot.pointB = int64AfterKey(text, indexedKey(u"<b.%d>", n)).value_or(0);
    }
    if (!context.library.markers().saveMarkerFile(marker)) {
        context.status.post(status::kError, status::kErrorText, status::kSaveMarkerFailed);
        return false;
    }
    return true;
}

bool loadMarker(HandlerContext& context, CommandCall& call) {
    stores::MarkerRecord marker;
    marker.path = core::openedName(call.arg(0));
    if (context.library.markers().loadMarkerFile(marker) == 1) {
        call.addEntry(1, markerText(marker));
    } else {
        call.addEntry(0, u"");
    }
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_GET_MARKER_LIST", getMarkerList, "PATH [PATH [PATH [PATH]]]",
               "marker state (0 or 1) of each video"},
    CommandRow{u"CM_SAVE_MARKER", saveMarker, "PATH TEXT",
               "save a video's markers: <en.N>1,<a.N>start,<b.N>end, N 0 to 7"},
    CommandRow{u"CM_LOAD_MARKER", loadMarker, "PATH", "a video's markers: value 1 and the marker text, or 0"},
};

}  // namespace

std::span<const CommandRow> markerCommands() { return kRows; }

}  // namespace tvr::protocol
