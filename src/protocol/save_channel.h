// SPDX-License-Identifier: MIT
#pragma once
// Saving the search or favourites list: "#CMD_SAVE_CHANNEL" opens it, then one
// "#DAT_SAVE_CHANNEL(<path>...)" record per entry arrives, over as many packets as the headset
// needs, and "#DAT_END(<no>n)" closes it. The connection feeds each following record here, so
// no handler reads the socket.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/handler_context.h"
#include "protocol/wire.h"

namespace tvr::protocol {

class SaveChannelState {
public:
    SaveChannelState(library::ListFile& list, bool reloaded) : list_(list), reloaded_(reloaded) {}
    /// Takes the next record: nothing while the list goes on, else the result of the whole save.
    std::optional<bool> feed(HandlerContext& context, const RecordView& record);

private:
    bool finish(HandlerContext& context, std::u16string_view end);

    library::ListFile& list_;
    bool reloaded_;  // the file changed on disk and was read again: new entries join it
    std::int64_t dataLines_ = 0;
    std::vector<std::u16string> paths_;
};

}  // namespace tvr::protocol
