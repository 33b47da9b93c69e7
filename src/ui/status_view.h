// SPDX-License-Identifier: MIT
#pragma once
// What a front-end draws: the status events the controller reads from the control server,
// and lines about services that could not start.
#include <cstdint>
#include <string_view>

#include "http/stream_event.h"
#include "library/skipped_files.h"
#include "platform/time.h"

namespace tvr::ui {

class StatusView {
public:
    virtual ~StatusView() = default;
    /// One status event: its time, code and both texts.
    virtual void showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                            std::u16string_view text2) = 0;
    /// A problem the user should know about (a port that cannot be used).
    virtual void showProblem(std::u16string_view text) = 0;
    /// Something the server did that the user should read: a refused request, a channel the
    /// headset changed; views that show only statuses ignore it.
    virtual void showEvent(const platform::LocalTime& time, std::u16string_view text) {
        (void)time;
        (void)text;
    }
    /// What a listing or a search left out for its extension; views that show only statuses
    /// ignore it.
    virtual void showNote(const platform::LocalTime& time, const library::SkipNote& note) {
        (void)time;
        (void)note;
    }
    /// A video request or the end of a stream; views that do not show streams ignore it.
    virtual void showStream(const platform::LocalTime& time, const http::StreamEvent& event) {
        (void)time;
        (void)event;
    }
};

}  // namespace tvr::ui
