// SPDX-License-Identifier: MIT
#include "search/list_walk.h"

#include <algorithm>
#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "library/channels.h"
#include "library/list_file.h"
#include "platform/fs.h"

namespace tvr::search {

namespace {

constexpr std::u16string_view kListExtension = u".vrl";
constexpr std::u16string_view kChannelDirective = u"#ch";

class ListWalk {
public:
    ListWalk(const SearchContext& context, const FolderVisit& visit) : context_(context), visit_(visit) {}

    bool walk(std::u16string_view listPath, bool once) {
        std::vector<std::u16string> lines;
        if (!library::readListLines(listPath, &lines)) return true;
        // A list that names itself, directly or through others, would never end.
        platform::FileIdentity identity;
        const bool known = platform::fileIdentity(core::appFilePath(listPath), &identity);
        if (known) {
            if (std::find(open_.begin(), open_.end(), identity) != open_.end()) return true;
            open_.push_back(identity);
        }
        const bool goOn = walkLines(lines, once);
        if (known) open_.pop_back();
        return goOn;
    }

private:
    bool walkLines(const std::vector<std::u16string>& lines, bool once) {
        std::u16string path;
        for (const std::u16string& line : lines) {
            if (line.front() == u'#') {
                if (line == u"#end") break;
                if (line == u"#once") {
                    once = true;
                } else if (line == u"#no_once") {
                    once = false;
                } else if (channelRoot(line, &path) && !visitPath(path, once)) {
                    return false;
                }
                continue;
            }
            path = core::replaceAll(line, u'\\', u'/');
            if (!visitPath(path, once)) return false;
        }
        return true;
    }

    // "#ch<n>" names channel n - 1; only a PC folder or a playlist has a root worth searching.
    bool channelRoot(std::u16string_view line, std::u16string* root) const {
        if (!line.starts_with(kChannelDirective)) return false;
        const std::int32_t number = core::scanInt32(line.substr(kChannelDirective.size()));
        if (number < 1 || number > core::kChannelCount) return false;
        const std::int32_t channel = number - 1;
        const std::int32_t type = context_.settings.config.channels[static_cast<std::size_t>(channel)].type;
        if (type != core::kChannelPcFolder && type != core::kChannelPlaylist) return false;
        library::ChannelRoot resolved;
        if (!library::resolveChannelRoot(context_.settings.config, channel, &resolved)) return false;
        *root = std::move(resolved.root);
        return true;
    }

    bool visitPath(const std::u16string& path, bool once) {
        switch (platform::pathKind(path)) {
            case platform::PathKind::Folder:
                if (context_.stopped()) return false;
                return visit_(path, once);
            case platform::PathKind::File:
                if (core::splitPath(path).ext == kListExtension) return walk(path, once);
                return true;
            case platform::PathKind::Missing:
                return true;
        }
        return true;
    }

    const SearchContext& context_;
    const FolderVisit& visit_;
    std::vector<platform::FileIdentity> open_;  // the lists being walked, outermost first
};

}  // namespace

bool walkListFile(std::u16string_view listPath, bool once, const SearchContext& context, const FolderVisit& visit) {
    return ListWalk(context, visit).walk(listPath, once);
}

}  // namespace tvr::search
