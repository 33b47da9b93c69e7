// SPDX-License-Identifier: MIT
#pragma once
// The response headers the video server sends. The first lines of 200, 206 and 404 are what
// the headset's player has always received; the headers added after them are ones HTTP
// clients use for seeking and caching and that older players ignore.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tvr::http {

/// What the headers tell about the file being served.
struct FileFacts {
    std::int64_t size = 0;
    platform::FileTime writeTime = 0;  // 0 when unknown
};

/// The media type for the path's extension; "application/octet-stream" when unknown.
std::string_view contentTypeFor(std::u16string_view path);
/// The time as an HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"); empty for 0 or a time before 1970.
std::string httpDate(platform::FileTime time);
/// A strong entity tag from the file's size and last-write time.
std::string entityTag(const FileFacts& file);
/// "200 OK" for start 0, else "206 Partial Content" with the bytes from start to the end.
std::string successHeader(const FileFacts& file, std::int64_t start, std::u16string_view path);
/// "404 File Not Find" with an empty body.
std::string notFoundHeader();
/// "416 Range Not Satisfiable" for a range start outside the file.
std::string rangeNotSatisfiableHeader(std::int64_t size);

}  // namespace tvr::http
