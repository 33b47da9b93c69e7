// SPDX-License-Identifier: MIT
#pragma once
// The one reply path of a record: whatever its handler answers (texts, result records, lists),
// then "#RET_OK()" or "#RET_ERR(...)", all into the context's reply sink. Text messages, "CM_"
// commands and the records of a list being saved answer this way alike.
#include "protocol/handler_context.h"
#include "protocol/wire.h"

namespace tvr::protocol {

/// Answers one record of a packet; false while its answer waits for later records (a list
/// being saved), true when the answer is complete and may leave.
bool answerRecord(HandlerContext& context, const RecordView& record);
/// Appends "#RET_OK()", or "#RET_ERR(...)" with the status slot's code and second text.
void appendVerdict(HandlerContext& context, bool success);

}  // namespace tvr::protocol
