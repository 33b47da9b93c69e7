// SPDX-License-Identifier: MIT
#pragma once
// The window's line for a video request the video server refused, with its reason in the
// window's language.
#include <optional>
#include <string>

#include "http/stream_event.h"

namespace tvr::ui {

/// "動画の要求を断りました（404: ファイルがありません）/v/b.mp4" or "video: 404 (no such file) /v/b.mp4"
/// for a refused request or the end of a wait for a login; nothing for any other stream event.
std::optional<std::u16string> refusalLine(const http::StreamEvent& event);

}  // namespace tvr::ui
