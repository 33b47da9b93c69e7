// SPDX-License-Identifier: MIT
#pragma once
// The line a refused request leaves for the front-end: which request, and why.
#include <string>
#include <string_view>

#include "protocol/status_board.h"
#include "protocol/wire.h"

namespace tvr::protocol {

/// The request a record carries as a console names it: the message or command name only (a
/// password never reaches the console), control characters shown as "?", at most 64 characters.
std::u16string requestName(const RecordView& record);
/// The reason for a refusal: the handler's own, else the English gloss and Japanese texts of the
/// status it posted (statusPosted), else a plain "failed".
std::u16string refusalReason(std::u16string_view handlerReason, bool statusPosted, const StatusSlot& status);

}  // namespace tvr::protocol
