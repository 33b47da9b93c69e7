// SPDX-License-Identifier: MIT
#include "ui/refusal_line.h"

#include "core/text.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "ui/window_texts.h"

namespace tvr::ui {

std::optional<std::u16string> refusalLine(const http::StreamEvent& event) {
    using Kind = http::StreamEvent::Kind;
    if (event.reason == http::RefusalReason::None ||
        (event.kind != Kind::Request && event.kind != Kind::LoginWaitOver)) {
        return std::nullopt;
    }
    const http::RefusalText& row = http::refusalText(event.reason);
    std::u16string line =
        core::format(text(TextId::VideoRefused), {textLanguage() == Language::English ? row.english : row.japanese});
    // What was refused: the path, or the host that asked when its request was never read.
    if (!event.path.empty()) {
        line += u" " + event.path;
    } else if (event.peerAddress != 0) {
        line += u" " + platform::fromUtf8(platform::formatIpv4(event.peerAddress));
    }
    if (event.connections > 1) line += core::format(text(TextId::VideoRefusedCount), {event.connections});
    return line;
}

}  // namespace tvr::ui
