// SPDX-License-Identifier: MIT
#pragma once
// Everything a message or command handler may use. Handlers are free functions of this context,
// so tests call them with a recording sink and no socket.
#include <memory>
#include <string>

#include "core/channel_change_log.h"
#include "core/channel_saver.h"
#include "core/clock.h"
#include "core/command_queue.h"
#include "core/log.h"
#include "core/settings.h"
#include "library/library_state.h"
#include "platform/fs.h"
#include "protocol/reply_sink.h"
#include "protocol/session.h"
#include "protocol/status_board.h"
#include "search/search_engine.h"

namespace tvr::protocol {

struct HandlerContext {
    core::Config& config;  // the settings in force on the control thread
    library::LibraryState& library;
    ReplySink& reply;
    StatusBoard& status;
    core::CommandQueue* frontEnd;            // null when no front-end listens
    core::ChannelSaver* channelSaver;        // writes channel changes before OK; null without a settings writer
    core::ChannelChangeLog& channelChanges;  // the changes posted to the front-end
    core::Clock& clock;
    core::ServerLog& log;
    Session& session;
    std::unique_ptr<search::SearchEngine>& search;  // null until the first search start
    platform::StopQuery stopRequested;              // true once the server is stopping
};

/// Notes why the request is refused (shown on the server's console, never sent); returns false.
inline bool refuse(HandlerContext& context, std::u16string why) {
    context.session.refusal = std::move(why);
    return false;
}

/// How a text message handler ended: its reply follows now, or after later records.
enum class Outcome { Failure, Success, Pending };

}  // namespace tvr::protocol
