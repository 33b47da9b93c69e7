// SPDX-License-Identifier: MIT
#pragma once
// Why the video server answered a video request 404: one reason per refusal, and the words the
// console (English) and the windows (Japanese or English) give it. What goes on the wire is the
// same 404 for every reason; only the PC's user is told which one it was.
#include <span>
#include <string_view>

namespace tvr::http {

enum class RefusalReason {
    None,            // not refused
    NoSuchFile,      // nothing by that name
    Folder,          // the name is a folder's
    Extension,       // the name's extension is not in [Config] pcExt
    OtherHost,       // the connection came from another host than the logged-in headset's
    LoginEnded,      // the login the connection came under is over
    NobodyLoggedIn,  // the request waited for a login that did not come
    OtherSpelling,   // Windows opens the name as another one (a short name, trailing dots or blanks)
    Undecodable,     // the request's path did not decode
    NoSuchSlot,      // "stream=" named no stream slot
    CannotOpen,      // the file is there but could not be opened; stays last (the table checks it)
};

/// One row of the reason table.
struct RefusalText {
    RefusalReason reason;
    std::u16string_view english;
    std::u16string_view japanese;
};

/// Every reason's row, in the order of RefusalReason.
std::span<const RefusalText> refusalTexts();
/// The reason's row.
const RefusalText& refusalText(RefusalReason reason);

}  // namespace tvr::http
