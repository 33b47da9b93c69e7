// SPDX-License-Identifier: MIT
// Writes one store in a loop through the real store code, so that a test can kill it at any
// moment, and checks afterwards that every value is one of the two it alternates between (after
// removing the temporary files of the killed write and printing their count).
// Usage: store_writer init|write|check <folder> settings|list|marker|wordlist|vrformat
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"
#include "core/write_leftovers.h"
#include "library/list_file.h"
#include "platform/text_file.h"
#include "platform/utf.h"
#include "stores/marker_store.h"
#include "stores/vr_format_store.h"
#include "stores/word_list.h"

namespace {

using namespace tvr;

constexpr int kListEntries = 2000;
constexpr int kWords = 1000;
constexpr std::u16string_view kVideo = u"/videos/clip.mp4";

// The two settings the writer alternates between; they differ in three keys.
core::Config settingsVersion(int version) {
    core::Config config = core::defaultConfig();
    config.extensions = version == 0 ? u"mp4 mkv" : std::u16string(600, u'e');
    config.channels[1] = {core::kChannelPcFolder, version == 0 ? u"/videos/old" : u"/videos/\u65B0\u3057\u3044"};
    config.liveTimeoutSec = version == 0 ? 120 : 777;
    return config;
}

std::vector<std::u16string> listVersion(int version) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < kListEntries; ++i) {
        paths.push_back(core::format(u"/videos/v%d/clip %05d.mp4", {std::int64_t{version}, std::int64_t{i}}));
    }
    return paths;
}

stores::MarkerRecord markerVersion(int version) {
    stores::MarkerRecord marker;
    marker.path = std::u16string(kVideo);
    for (std::size_t slot = 0; slot < marker.slots.size(); ++slot) {
        const auto n = static_cast<std::int64_t>(slot);
        // Slot 0 stays enabled in both versions: a marker file with no enabled slot reads as none.
        marker.slots[slot] = {slot == 0 ? 1 : version, 1000 * n + version, 123456789012LL * (n + 1) + version};
    }
    return marker;
}

std::vector<stores::Word> wordsVersion(int version) {
    std::vector<stores::Word> words;
    for (int i = 0; i < kWords; ++i) {
        words.push_back({core::format(u"id%d", {std::int64_t{i % 10}}),
                         core::format(u"v%d word %04d \u5358\u8A9E", {std::int64_t{version}, std::int64_t{i}})});
    }
    return words;
}

stores::VrFormat vrFormatVersion(int version) {
    return version == 0 ? stores::VrFormat{u"SBS", u"180"} : stores::VrFormat{std::u16string(500, u'L'), u"360"};
}

std::u16string vrFormatFolder(const std::u16string& folder) { return folder + u"/VRFormat"; }

// One list for the whole run, as the server keeps it: each write swaps every word for the other version's.
bool writeWords(int version) {
    static stores::WordList list;
    if (list.path().empty()) {
        list.setPath(u"WordList.txt");
        list.loadWordList();  // there is no file before the first write
    }
    for (const stores::Word& word : wordsVersion(1 - version)) list.deleteWord(word.id, word.word);
    for (const stores::Word& word : wordsVersion(version)) list.addWord(word.id, word.word);
    return list.saveWordList();
}

bool writeVersion(const std::string& kind, const std::u16string& folder, int version) {
    if (kind == "settings") {
        core::SettingsStore store(core::appFilePath(core::kSettingsFileName));
        if (!store.load()) return false;
        store.config() = settingsVersion(version);
        return store.save();
    }
    if (kind == "list") {
        library::ListFile list;
        list.bind(7, library::kFavoriteList, u"favorite.vrl");
        for (const auto& path : listVersion(version)) list.add(path);
        return list.save();
    }
    if (kind == "wordlist") return writeWords(version);
    if (kind == "vrformat") {
        core::makeFolderTree(vrFormatFolder(folder));
        return stores::saveVrFormatFile(vrFormatFolder(folder), vrFormatVersion(version), kVideo);
    }
    stores::MarkerStore markers;
    core::makeFolderTree(folder + u"/trim");
    markers.scanMarkerFolder(folder + u"/trim");
    return markers.saveMarkerFile(markerVersion(version));
}

bool listIsWhole() {
    std::vector<std::u16string> lines;
    if (!platform::readTextLines(core::appFilePath(u"favorite.vrl"), &lines) || lines.size() != kListEntries + 2) {
        return false;
    }
    const std::vector<std::u16string> paths(lines.begin() + 1, lines.end() - 1);
    return lines.front() == u"#name (Favorite)" && lines.back() == u"#end" &&
           (paths == listVersion(0) || paths == listVersion(1));
}

bool settingsKeysAreWhole() {
    core::SettingsStore store(core::appFilePath(core::kSettingsFileName));
    if (!store.load()) return false;
    const core::Config& read = store.config();
    const core::Config a = settingsVersion(0);
    const core::Config b = settingsVersion(1);
    return (read.extensions == a.extensions || read.extensions == b.extensions) &&
           (read.channels[1] == a.channels[1] || read.channels[1] == b.channels[1]) &&
           (read.liveTimeoutSec == a.liveTimeoutSec || read.liveTimeoutSec == b.liveTimeoutSec);
}

bool markerKeysAreWhole(const std::u16string& folder) {
    stores::MarkerStore markers;
    markers.scanMarkerFolder(folder + u"/trim");
    stores::MarkerRecord read;
    read.path = std::u16string(kVideo);
    if (markers.loadMarkerFile(read) != 1) return false;
    const stores::MarkerRecord a = markerVersion(0);
    const stores::MarkerRecord b = markerVersion(1);
    for (std::size_t slot = 0; slot < read.slots.size(); ++slot) {
        const stores::MarkerSlot& got = read.slots[slot];
        const stores::MarkerSlot& oneWay = a.slots[slot];
        const stores::MarkerSlot& otherWay = b.slots[slot];
        if ((got.enabled != oneWay.enabled && got.enabled != otherWay.enabled) ||
            (got.pointA != oneWay.pointA && got.pointA != otherWay.pointA) ||
            (got.pointB != oneWay.pointB && got.pointB != otherWay.pointB)) {
            return false;
        }
    }
    return true;
}

// The file groups words by id, so the lists are compared as sets of pairs.
bool wordsAreWhole() {
    stores::WordList list;
    list.setPath(u"WordList.txt");
    if (!list.loadWordList()) return false;
    using Pairs = std::set<std::pair<std::u16string, std::u16string>>;
    Pairs read;
    for (std::size_t i = 0; i < list.size(); ++i) read.emplace(list.at(i).id, list.at(i).word);
    auto pairs = [](const std::vector<stores::Word>& words) {
        Pairs out;
        for (const stores::Word& word : words) out.emplace(word.id, word.word);
        return out;
    };
    return list.size() == kWords && (read == pairs(wordsVersion(0)) || read == pairs(wordsVersion(1)));
}

bool vrFormatIsWhole(const std::u16string& folder) {
    stores::VrFormat read;
    if (!stores::loadVrFormat(vrFormatFolder(folder), kVideo, &read)) return false;
    return read == vrFormatVersion(0) || read == vrFormatVersion(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: store_writer init|write|check <folder> settings|list|marker|wordlist|vrformat\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::u16string folder = platform::fromUtf8(argv[2]);
    const std::string kind = argv[3];
    core::setDataFolder(folder);
    if (mode == "init") return writeVersion(kind, folder, 0) ? 0 : 1;
    if (mode == "write") {
        for (int i = 1;; ++i) {
            if (!writeVersion(kind, folder, i % 2)) {
                std::fprintf(stderr, "store_writer: write %d of the %s failed\n", i, kind.c_str());
                return 1;
            }
        }
    }
    // What the next start would do first: clear away the temporary files of the killed write.
    core::Config config = core::defaultConfig();
    config.channels[7] = {core::kChannelFavoriteList, u"favorite.vrl"};
    std::printf("%d\n", core::removeWriteLeftovers(core::kSettingsFileName, config));
    bool whole = kind == "settings"   ? settingsKeysAreWhole()
                 : kind == "list"     ? listIsWhole()
                 : kind == "wordlist" ? wordsAreWhole()
                 : kind == "vrformat" ? vrFormatIsWhole(folder)
                                      : markerKeysAreWhole(folder);
    if (!whole) std::fprintf(stderr, "%s: a value is neither the old nor the new one\n", kind.c_str());
    return whole ? 0 : 1;
}
