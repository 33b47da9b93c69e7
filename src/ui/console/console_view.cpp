// SPDX-License-Identifier: MIT
#include "ui/console/console_view.h"

#include "core/text.h"
#include "platform/socket.h"
#include "ui/console/status_gloss.h"

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

std::u16string channelLine(const ChannelSummary& channel) {
    std::u16string line = core::format(u"  channel %d: %s", {channel.number, channel.typeName});
    if (!channel.path.empty()) line += core::format(u" \"%s\"", {channel.path});
    if (channel.resolves) return line + u" -> " + channel.target;
    return line + u", " + channel.explanation;
}

}  // namespace

void ConsoleView::showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                             std::u16string_view text2) {
    std::u16string line =
        core::format(u"%04d-%02d-%02d %02d:%02d:%02d code=0x%04X %s",
                     {time.year, time.month, time.day, time.hour, time.minute, time.second, code, text1});
    if (!text2.empty()) line += core::format(u" %s", {text2});
    if (glosses_) {
        std::u16string gloss = statusGloss(code, text1, text2);
        if (!gloss.empty()) line += u" (" + gloss + u")";
    }
    writeLine(line);
}

void ConsoleView::showProblem(std::u16string_view text) { writeLine(text); }

std::u16string streamLine(const http::StreamEvent& event) {
    std::u16string slot = event.slot < 0 ? std::u16string(u"video") : core::format(u"video slot %d", {event.slot});
    if (event.kind == http::StreamEvent::Kind::Request) {
        return core::format(u"%s: %d from byte %I64d %s", {slot, event.statusCode, event.rangeStart, event.path});
    }
    // Tenths of a MiB/s in integers: the line needs no floating-point formatting.
    std::uint64_t tenths = event.durationMs == 0 ? 0 : event.bytesSent * 10000 / 1048576 / event.durationMs;
    return core::format(u"%s: ended after %I64d bytes in %u ms (%I64d.%I64d MiB/s) %s",
                        {slot, static_cast<std::int64_t>(event.bytesSent), std::int64_t{event.durationMs},
                         static_cast<std::int64_t>(tenths / 10), static_cast<std::int64_t>(tenths % 10), event.path});
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
    for (const auto& warning : summary.warnings) writeLine(u"  warning: " + warning);
    writeLine(serviceLine(u"control server", summary.control));
    writeLine(serviceLine(u"video server", summary.video));
    writeLine(addressLine(summary));
    if (!summary.passwordOn) {
        writeLine(u"  password: off (any headset on this network can connect)");
    } else {
        writeLine(summary.passwordEmpty ? u"  password: on, but [Config] pcPassword is empty" : u"  password: on");
    }
    writeLine(summary.logOn ? u"  log: on, " + summary.logFile : u"  log: off ([Config] iServerLog=1 turns it on)");
    for (const auto& channel : summary.channels) writeLine(channelLine(channel));
}

void ConsoleView::showStopped() { writeLine(u"TamvikVR Server stopped; settings saved."); }

void ConsoleView::writeLine(std::u16string_view line) {
    std::fputs(platform::toUtf8(line).c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace tvr::ui
