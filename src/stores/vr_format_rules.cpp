// SPDX-License-Identifier: MIT
#include "stores/vr_format_rules.h"

#include <optional>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/text.h"
#include "platform/text_file.h"

namespace tvr::stores {

namespace {

// The headset holds a tagged message in 259 characters; a longer rule would arrive cut.
constexpr std::size_t kMaxMessage = 259;

struct VrRule {
    int sp = 0;
    std::u16string key;
    std::u16string layout;
    std::u16string screen;
};

// The text between the first double quote at or after `from` and the next one.
std::optional<std::u16string> quotedValue(std::u16string_view line, std::size_t from) {
    const std::size_t open = line.find(u'"', from);
    if (open == std::u16string_view::npos) return std::nullopt;
    const std::size_t close = line.find(u'"', open + 1);
    if (close == std::u16string_view::npos) return std::nullopt;
    return std::u16string(line.substr(open + 1, close - open - 1));
}

// The quoted value after the first occurrence of `marker` in the line.
std::optional<std::u16string> valueAfter(std::u16string_view line, std::u16string_view marker) {
    const std::size_t at = line.find(marker);
    if (at == std::u16string_view::npos) return std::nullopt;
    return quotedValue(line, at + marker.size());
}

// One rule line of the block, comment already cut off; nothing when it is malformed.
std::optional<VrRule> parseRule(std::u16string_view line) {
    VrRule rule;
    std::optional<std::u16string> key = valueAfter(line, u"tag=");
    if (line.find(u"tag=") == std::u16string_view::npos) {
        rule.sp = 1;
        key = valueAfter(line, u"tag_sp=");
    }
    if (!key) return std::nullopt;
    rule.key = std::move(*key);

    const bool hasLayout = line.find(u"layout=") != std::u16string_view::npos;
    std::optional<std::u16string> layout = valueAfter(line, hasLayout ? u"layout=" : u"type=");
    if (!layout) return std::nullopt;
    std::optional<std::u16string> screen = valueAfter(line, hasLayout ? u"screen=" : u"param=");
    if (!screen) return std::nullopt;
    rule.layout = std::move(*layout);
    rule.screen = std::move(*screen);
    return rule;
}

}  // namespace

int sendVrFormatRules(core::ReplySink& sink, std::u16string_view ruleFile) {
    std::vector<std::u16string> lines;
    if (!platform::readTextLines(core::appFilePath(ruleFile), &lines)) return 0;

    bool inBlock = false;
    int number = 0;
    for (const std::u16string& whole : lines) {
        if (whole.empty()) continue;
        if (whole[0] == u'#') {
            if (whole == u"#start") inBlock = true;
            if (whole == u"#end") return 1;
            continue;
        }
        if (!inBlock) continue;
        std::u16string_view line = whole;
        line = line.substr(0, line.find(u';'));
        const std::optional<VrRule> rule = parseRule(line);
        if (!rule) continue;
        const std::u16string message =
            core::format(u"#RET_VR_FORMAT(<no>%d,<sp>%d,<key>\"%s\",<layout>\"%s\",<screen>\"%s\")",
                         {std::int64_t{number}, std::int64_t{rule->sp}, std::u16string_view(rule->key),
                          std::u16string_view(rule->layout), std::u16string_view(rule->screen)});
        if (message.size() > kMaxMessage) continue;
        sink.appendText(message);
        ++number;
    }
    return 1;
}

}  // namespace tvr::stores
