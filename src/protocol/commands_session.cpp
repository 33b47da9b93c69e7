// SPDX-License-Identifier: MIT
// CM_LIVE_TIME, CM_SET_FAVORITE and CM_CLIENT_LOG: the headset's liveness and its own log lines.
#include <array>

#include "core/text.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "protocol/command_log.h"
#include "protocol/command_table.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

// The headset suspends the no-traffic time-out while it plays without talking to the server.
bool liveTime(HandlerContext& context, CommandCall& call) {
    Session& session = context.session;
    bool wanted = call.intArg(0) == 1 || call.intArg(1) == 0;
    if (wanted != session.suspended) {
        session.suspended = wanted;
        session.suspendChanged = true;
    }
    if (session.suspendChanged) {
        std::u16string address = session.connected ? platform::fromAscii(platform::formatIpv4(session.clientAddress))
                                                   : std::u16string(status::kNoAddress);
        if (session.suspended) {
            context.status.post(status::kSuspended, status::kSuspendedText, address);
        } else {
            context.status.post(status::kResumed, status::kResumedText, address);
        }
        session.suspendChanged = false;
    }
    return true;
}

bool setFavorite(HandlerContext& context, CommandCall& call) {
    logCommand(context, u"SET_FAVORITE", core::format(u"on=%d, path=\"%s\"", {call.intArg(0), call.arg(1)}));
    return true;
}

bool clientLog(HandlerContext& context, CommandCall& call) {
    logCommand(context, call.arg(0), call.arg(1));
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_LIVE_TIME", liveTime, "A B",
               "A 1 or B 0 suspends the no-traffic time-out; otherwise it applies again"},
    CommandRow{u"CM_SET_FAVORITE", setFavorite, "ON PATH", "write a log line only"},
    CommandRow{u"CM_CLIENT_LOG", clientLog, "TAG TEXT", "write a line to the server's log"},
};

}  // namespace

std::span<const CommandRow> sessionCommands() { return kRows; }

}  // namespace tvr::protocol
