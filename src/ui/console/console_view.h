// SPDX-License-Identifier: MIT
#pragma once
// The headless front-end: the start-up summary, then every status event and problem as one
// line on a stream, and one line when the server stops.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ui/startup_summary.h"
#include "ui/status_view.h"

namespace tvr::ui {

/// The text of a stream event without its time.
std::u16string streamLine(const http::StreamEvent& event);
/// "512 bytes", "1.5 KiB", "10.0 MiB", "2.3 GiB": the unit that suits the size.
std::u16string byteSize(std::uint64_t bytes);
/// "under 1 ms", "350 ms", "2.5 s", "3 min 5 s".
std::u16string duration(std::uint64_t ms);

class ConsoleView final : public StatusView {
public:
    /// Writes to out; with glosses each Japanese status text is followed by its English meaning.
    explicit ConsoleView(std::FILE* out, bool glosses = true) : out_(out), glosses_(glosses) {}
    /// "YYYY-MM-DD hh:mm:ss code=0x0002 接続中 127.0.0.1 (a headset connected)"
    void showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                    std::u16string_view text2) override;
    void showProblem(std::u16string_view text) override;
    /// "YYYY-MM-DD hh:mm:ss refused #CMD_GET_CHANNEL: ..." and other events of the server.
    void showEvent(const platform::LocalTime& time, std::u16string_view text) override;
    /// "YYYY-MM-DD hh:mm:ss channel 2: 0 videos listed; 31 files left out ...", in English.
    void showNote(const platform::LocalTime& time, const library::SkipNote& note) override;
    /// "YYYY-MM-DD hh:mm:ss video slot 0: 206 from byte 1000 /v/a.mp4", a refusal with its reason
    /// ("video slot 0: 404 (no such file) /v/b.mp4"), or the stream's end with the bytes sent and the rate.
    void showStream(const platform::LocalTime& time, const http::StreamEvent& event) override;
    /// The start-up summary, one fact per line.
    void showSummary(const StartupSummary& summary);
    /// The one line written when the server has stopped: what could not be saved and why, if anything.
    void showStopped(const std::vector<std::u16string>& unsaved = {});

private:
    void writeLine(std::u16string_view line);

    std::FILE* out_;
    bool glosses_;
};

}  // namespace tvr::ui
