// SPDX-License-Identifier: MIT
#include "ui/console/console_view.h"

#include "core/text.h"
#include "http/refusal_reason.h"
#include "http/video_server.h"
#include "platform/socket.h"
#include "protocol/status_gloss.h"
#include "ui/skip_note_text.h"

namespace tvr::ui {

namespace {

std::u16string serviceLine(std::u16string_view name, const ServiceState& state) {
    if (state.problem.empty()) return core::format(u"  %s: listening on port %d", {name, state.port});
    return core::format(u"  %s: not listening: %s", {name, state.problem});
}

std::u16string addressLine(const StartupSummary& summary) {
    if (summary.addresses.empty()) return u"  headset: no network address found; connect the PC to the home network";
    std::u16string list;
    for (std::uint32_t address : summary.addresses) {
        if (!list.empty()) list += u" or ";
        list += platform::fromUtf8(platform::formatIpv4(address));
    }
    return u"  headset: enter " + list + u" as the PC's address";
}

}  // namespace

void ConsoleView::showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                             std::u16string_view text2) {
    std::u16string line =
        core::format(u"%04d-%02d-%02d %02d:%02d:%02d code=0x%04X %s",
                     {time.year, time.month, time.day, time.hour, time.minute, time.second, code, text1});
    if (!text2.empty()) line += core::format(u" %s", {text2});
    if (glosses_) {
        std::u16string gloss = protocol::statusGloss(code, text1, text2);
        if (!gloss.empty()) line += u" (" + gloss + u")";
    }
    writeLine(line);
}

void ConsoleView::showProblem(std::u16string_view text) { writeLine(text); }

void ConsoleView::showEvent(const platform::LocalTime& time, std::u16string_view text) {
    writeLine(core::format(u"%04d-%02d-%02d %02d:%02d:%02d %s",
                           {time.year, time.month, time.day, time.hour, time.minute, time.second, text}));
}

void ConsoleView::showNote(const platform::LocalTime& time, const library::SkipNote& note) {
    showEvent(time, skipNoteText(note, Language::English));
}

namespace {

// One decimal in integers: the console needs no floating-point formatting.
std::u16string tenths(std::uint64_t value, std::uint64_t unit, std::u16string_view name) {
    std::uint64_t scaled = value * 10 / unit;
    return core::format(u"%I64d.%I64d %s",
                        {static_cast<std::int64_t>(scaled / 10), static_cast<std::int64_t>(scaled % 10), name});
}

}  // namespace

std::u16string byteSize(std::uint64_t bytes) {
    constexpr std::uint64_t kKiB = 1024;
    constexpr std::uint64_t kMiB = kKiB * 1024;
    constexpr std::uint64_t kGiB = kMiB * 1024;
    if (bytes < kKiB)
        return core::format(bytes == 1 ? u"%I64d byte" : u"%I64d bytes", {static_cast<std::int64_t>(bytes)});
    if (bytes < kMiB) return tenths(bytes, kKiB, u"KiB");
    if (bytes < kGiB) return tenths(bytes, kMiB, u"MiB");
    return tenths(bytes, kGiB, u"GiB");
}

std::u16string duration(std::uint64_t ms) {
    if (ms == 0) return u"under 1 ms";
    if (ms < 1000) return core::format(u"%I64d ms", {static_cast<std::int64_t>(ms)});
    if (ms < 60000) return tenths(ms, 1000, u"s");
    return core::format(u"%I64d min %I64d s",
                        {static_cast<std::int64_t>(ms / 60000), static_cast<std::int64_t>(ms % 60000 / 1000)});
}

namespace {

// A refused request names its reason, then what was refused: the path, or the host that asked.
std::u16string refusedLine(std::u16string_view slot, const http::StreamEvent& event) {
    std::u16string line = core::format(u"%s: 404 (%s)", {slot, http::refusalText(event.reason).english});
    if (!event.path.empty()) {
        line += u" " + event.path;
    } else if (event.peerAddress != 0) {
        line += u" to " + platform::fromUtf8(platform::formatIpv4(event.peerAddress));
    }
    if (event.connections > 1) line += core::format(u" (%d connections)", {event.connections});
    return line;
}

}  // namespace

std::u16string streamLine(const http::StreamEvent& event) {
    constexpr std::int32_t kWaitSeconds = http::VideoServer::kLoginWaitMs / 1000;
    if (event.kind == http::StreamEvent::Kind::AwaitingLogin) {
        return core::format(u"video: a request waits for a headset to log in (answered 404 if none does within %d s)",
                            {kWaitSeconds});
    }
    if (event.kind == http::StreamEvent::Kind::LoginWaitOver) {
        return core::format(
            event.connections == 1
                ? u"video: no headset logged in within %d s: the waiting request got 404 and was closed"
                : u"video: no headset logged in within %d s: %d waiting requests got 404 and were closed",
            {kWaitSeconds, event.connections});
    }
    std::u16string slot = event.slot < 0 ? std::u16string(u"video") : core::format(u"video slot %d", {event.slot});
    if (event.kind == http::StreamEvent::Kind::Request && event.reason != http::RefusalReason::None) {
        return refusedLine(slot, event);
    }
    if (event.kind == http::StreamEvent::Kind::Request) {
        return core::format(u"%s: %d from byte %I64d %s", {slot, event.statusCode, event.rangeStart, event.path});
    }
    std::u16string line =
        core::format(u"%s: ended after %s in %s", {slot, byteSize(event.bytesSent), duration(event.durationMs)});
    // A rate over a few milliseconds says nothing about the disk or the network.
    constexpr std::uint64_t kRateMinMs = 100;
    if (event.durationMs >= kRateMinMs) line += u" (" + byteSize(event.bytesSent * 1000 / event.durationMs) + u"/s)";
    return line + u" " + event.path;
}

void ConsoleView::showStream(const platform::LocalTime& time, const http::StreamEvent& event) {
    writeLine(core::format(u"%04d-%02d-%02d %02d:%02d:%02d ",
                           {time.year, time.month, time.day, time.hour, time.minute, time.second}) +
              streamLine(event));
}

void ConsoleView::showSummary(const StartupSummary& summary) {
    writeLine(core::format(u"TamvikVR Server %s (protocol %d)", {summary.version, summary.protocolVersion}));
    writeLine(u"  data folder: " + summary.dataFolder);
    writeLine(u"  settings file: " + summary.settingsFile);
    if (!summary.settingsCopiedFrom.empty()) {
        writeLine(u"  settings copied from " + summary.settingsCopiedFrom +
                  u" into the new data folder, which had none");
    }
    for (const auto& warning : summary.warnings) writeLine(u"  warning: " + warning);
    writeLine(serviceLine(u"control server", summary.control));
    writeLine(serviceLine(u"video server", summary.video));
    writeLine(addressLine(summary));
    if (!summary.passwordOn) {
        writeLine(u"  password: off (any headset on this network can connect)");
    } else {
        writeLine(summary.passwordEmpty ? u"  password: on, but [Config] pcPassword is empty" : u"  password: on");
    }
    if (summary.logOn) {
        writeLine(u"  log: on, " + summary.logFile);
    } else if (summary.logWanted) {
        writeLine(u"  log: off: [Config] iServerLog=1, but the control server, which writes the log, is not listening");
    } else {
        writeLine(u"  log: off ([Config] iServerLog=1 turns it on)");
    }
    if (summary.mouseOn) {
        writeLine(summary.mouseProblem.empty()
                      ? std::u16string(u"  mouse relay: on")
                      : u"  mouse relay: not available, though [Config] iUseMouse is on: " + summary.mouseProblem);
    }
    for (const auto& channel : summary.channels)
        writeLine(core::format(u"  channel %d: ", {channel.number}) + describeChannel(channel));
}

void ConsoleView::showStopped(const std::vector<std::u16string>& unsaved) {
    if (unsaved.empty()) {
        writeLine(u"TamvikVR Server stopped; settings saved.");
        return;
    }
    std::u16string line = u"TamvikVR Server stopped, but changes are NOT saved: ";
    for (std::size_t i = 0; i < unsaved.size(); ++i) line += (i == 0 ? u"" : u"; ") + unsaved[i];
    writeLine(line);
}

void ConsoleView::writeLine(std::u16string_view line) {
    // Paths and names come from the headset and the network: a line break or a terminal control
    // in them must not forge a console line or drive the terminal.
    std::u16string shown(line);
    for (char16_t& c : shown) {
        if (c < 0x20 || c == 0x7F) c = u'?';
    }
    std::fputs(platform::toUtf8(shown).c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace tvr::ui
