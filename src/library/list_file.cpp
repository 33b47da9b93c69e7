// SPDX-License-Identifier: MIT
#include "library/list_file.h"

#include <new>

#include "core/paths.h"
#include "core/text.h"
#include "platform/text_file.h"

namespace tvr::library {

namespace {

bool isDirective(const std::u16string& line) { return !line.empty() && line[0] == u'#'; }

bool startsWith(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

}  // namespace

platform::ReadStatus readListFile(std::u16string_view path, std::vector<std::u16string>* lines) {
    lines->clear();
    std::vector<std::u16string> all;
    const platform::ReadStatus status = platform::readTextLinesUpTo(core::appFilePath(path), kMaxListFileBytes, &all);
    if (status != platform::ReadStatus::kRead) return status;
    for (auto& line : all) {
        if (!line.empty()) lines->push_back(std::move(line));
    }
    return status;
}

bool readListLines(std::u16string_view path, std::vector<std::u16string>* lines) {
    return readListFile(path, lines) == platform::ReadStatus::kRead;
}

bool getListName(std::u16string* name, std::u16string_view listPath) {
    *name = u"***";
    std::vector<std::u16string> lines;
    if (!readListLines(listPath, &lines)) return false;
    for (const auto& line : lines) {
        if (!isDirective(line)) continue;
        if (startsWith(line, u"#name")) {
            name->clear();
            std::u16string field;
            if (core::getLineField(&field, line, 2) >= 0) {
                *name = std::move(field);
                return true;
            }
        } else if (line == u"#end") {
            return false;
        }
    }
    return false;
}

void ListFile::bind(std::int32_t channel, std::int32_t kind, std::u16string_view settingPath) {
    channel_ = channel;
    kind_ = kind;
    // The path is kept even when no such file exists yet: save creates it there.
    core::resolveDataFile(&path_, settingPath);
    clear();
}

bool ListFile::add(std::u16string_view path) {
    // A line break would add lines (even "#end") of its own to the file; a NUL or an unpaired
    // surrogate would come back changed.
    if (!core::isStorableLine(path)) return false;
    return append(path, core::splitPath(path).nameWithExt);
}

bool ListFile::append(std::u16string_view path, std::u16string name) {
    try {
        entries_.push_back(ListFileEntry{std::u16string(path), std::move(name)});
    } catch (const std::bad_alloc&) {
        return false;
    }
    try {
        names_.insert(entries_.back().name);
    } catch (const std::bad_alloc&) {
        entries_.pop_back();  // a name the set does not know would let its video in twice
        return false;
    }
    return true;
}

bool ListFile::addUnique(std::u16string_view path) {
    std::u16string name = core::splitPath(path).nameWithExt;
    // One video is kept once, whatever folder it was added from.
    if (kind_ == kFavoriteList && names_.contains(name)) return true;
    if (!core::isStorableLine(path)) return false;
    return append(path, std::move(name));
}

bool ListFile::load() {
    fileTime_ = 0;
    std::vector<std::u16string> lines;
    if (!readListLines(path_, &lines)) return false;
    for (const auto& line : lines) {
        if (line == u"#end") break;
        if (isDirective(line)) continue;
        // Lines from the file are kept as they are, even those save will refuse to write back.
        const std::u16string path = core::replaceAll(line, u'\\', u'/');
        append(path, core::splitPath(path).nameWithExt);
    }
    rememberFileTime();
    return true;
}

bool ListFile::save() {
    std::vector<std::u16string> lines;
    lines.reserve(entries_.size() + 2);
    lines.emplace_back(kind_ == kSearchList ? u"#name (Search)" : u"#name (Favorite)");
    for (const auto& entry : entries_) {
        if (!core::isStorableLine(entry.path)) return false;
        lines.push_back(entry.path);
    }
    lines.emplace_back(u"#end");
    if (!platform::writeTextLines(core::appFilePath(path_), lines, platform::TextEncoding::Utf8)) return false;
    rememberFileTime();
    return true;
}

bool ListFile::hasChangedOnDisk() const {
    platform::FileTime current = 0;
    core::getFileWriteTime(&current, core::appFilePath(path_));
    return current != fileTime_;
}

void ListFile::rememberFileTime() { core::getFileWriteTime(&fileTime_, core::appFilePath(path_)); }

}  // namespace tvr::library
