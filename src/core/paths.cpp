// SPDX-License-Identifier: MIT
// Splitting, joining and comparing paths, and picking fields out of list lines. The headset and
// the list files send "\" as well as "/", so both separate folders here on every platform.
#include "core/paths.h"

#include "core/path_parts.h"

namespace tvr::core {

bool isSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

PathParts splitParts(std::u16string_view path) {
    PathParts parts;
    std::size_t rest = 0;
    if (path.size() >= 2 && path[1] == u':') {
        parts.drive = path.substr(0, 2);
        rest = 2;
    }
    std::size_t nameStart = rest;
    for (std::size_t i = rest; i < path.size(); ++i) {
        if (isSeparator(path[i])) nameStart = i + 1;
    }
    parts.dir = path.substr(rest, nameStart - rest);
    std::u16string_view last = path.substr(nameStart);
    std::size_t dot = last.rfind(u'.');
    if (dot == std::u16string_view::npos) {
        parts.name = last;
    } else {
        parts.name = last.substr(0, dot);
        parts.ext = last.substr(dot);
    }
    return parts;
}

bool isAbsolutePath(std::u16string_view path) {
    return (!path.empty() && isSeparator(path[0])) || (path.size() >= 2 && path[1] == u':');
}

SplitResult splitPath(std::u16string_view path) {
    PathParts parts = splitParts(path);
    SplitResult result;
    result.folder = std::u16string(parts.drive) + std::u16string(parts.dir);
    if (parts.ext.empty()) {
        result.folder += parts.name;
    } else if (parts.dir.size() > 1 && isSeparator(result.folder.back())) {
        // A lone root separator stays: "/a.mp4" lives in "/", not in the current folder.
        result.folder.pop_back();
    }
    result.nameWithExt = std::u16string(parts.name) + std::u16string(parts.ext);
    result.name = parts.name;
    result.ext = parts.ext;
    return result;
}

void appendPath(std::u16string& base, std::u16string_view tail) {
    if (!base.empty() && !isSeparator(base.back())) base += u'/';
    base += tail;
}

bool getPathRoot(std::u16string_view path, std::u16string* root) {
    root->clear();
    if (path.size() >= 2 && path[1] == u':') {
        *root = path.substr(0, 2);
        return true;
    }
    if (path.size() < 2 || !isSeparator(path[0]) || !isSeparator(path[1])) return false;
    std::size_t end = path.size();
    for (std::size_t i = 2; i < path.size(); ++i) {
        if (!isSeparator(path[i])) continue;
        for (std::size_t j = i + 1; j < path.size(); ++j) {
            if (isSeparator(path[j])) {
                end = j;
                break;
            }
        }
        break;
    }
    *root = path.substr(0, end);
    return true;
}

bool isSameRoot(std::u16string_view a, std::u16string_view b) {
    std::u16string rootA;
    std::u16string rootB;
    getPathRoot(a, &rootA);
    getPathRoot(b, &rootB);
    return rootA == rootB;
}

bool isSameExtension(std::u16string_view a, std::u16string_view b) { return splitParts(a).ext == splitParts(b).ext; }

std::ptrdiff_t getLineField(std::u16string* field, std::u16string_view line, int n) {
    field->clear();
    if (n < 1) return -1;
    // A NUL ends the line as the terminator of a C string would.
    std::size_t size = line.find(u'\0');
    if (size == std::u16string_view::npos) size = line.size();
    auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    auto isLineEnd = [&](std::size_t i) { return line[i] == u'\r' && i + 1 < size && line[i + 1] == u'\n'; };

    bool boundary = true;
    bool quoted = false;
    int remaining = n;
    std::size_t start = 0;
    for (;; ++start) {
        if (start >= size || isLineEnd(start)) return -1;
        char16_t c = line[start];
        if (isBlank(c) && !quoted) {
            boundary = true;
            continue;
        }
        if (c == u'"') quoted = !quoted;
        if (boundary) {
            boundary = false;
            if (--remaining == 0) break;
        }
    }

    bool inQuotes = false;
    std::size_t i = start;
    for (; i < size; ++i) {
        char16_t c = line[i];
        if (c == u'"') {
            inQuotes = !inQuotes;
        } else if ((isBlank(c) && !inQuotes) || c == u'\n' || isLineEnd(i)) {
            break;
        } else if (c != u'\r') {
            *field += c;
        }
    }
    return static_cast<std::ptrdiff_t>(i);
}

}  // namespace tvr::core
