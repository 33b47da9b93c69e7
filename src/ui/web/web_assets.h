// SPDX-License-Identifier: MIT
#pragma once
// The page's files, embedded in the program when it is built (cmake/EmbedWebPage.cmake turns
// src/ui/web/page/ into a source file), so nothing is read from disk or from the internet.
#include <string_view>

namespace tvr::ui::web {

/// One embedded file of the page.
struct WebAsset {
    std::string_view path;         // "/", "/app.js", "/style.css"
    std::string_view contentType;  // without its charset: every file is UTF-8
    std::string_view bytes;
};

/// The embedded file served at the path, or null.
const WebAsset* findWebAsset(std::string_view path);

}  // namespace tvr::ui::web
