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

// One rule line of the block, comment already cut off; nothing when it is malformed.
std::optional<VrRule> parseRule(std::u16string_view line) {
    VrRule rule;
    std::optional<std::u16string> key = core::quotedAfter(line, u"tag=");
    if (line.find(u"tag=") == std::u16string_view::npos) {
        rule.sp = true;
        key = core::quotedAfter(line, u"tag_sp=");
    }
    if (!key) return std::nullopt;
    rule.key = std::move(*key);

    const bool hasLayout = line.find(u"layout=") != std::u16string_view::npos;
    std::optional<std::u16string> layout = core::quotedAfter(line, hasLayout ? u"layout=" : u"type=");
    if (!layout) return std::nullopt;
    std::optional<std::u16string> screen = core::quotedAfter(line, hasLayout ? u"screen=" : u"param=");
    if (!screen) return std::nullopt;
    rule.layout = std::move(*layout);
    rule.screen = std::move(*screen);
    return rule;
}

}  // namespace

bool readVrFormatRules(std::u16string_view ruleFile, std::vector<VrRule>* rules) {
    rules->clear();
    std::vector<std::u16string> lines;
    if (!platform::readTextLines(core::appFilePath(ruleFile), &lines)) return false;

    bool inBlock = false;
    for (const std::u16string& whole : lines) {
        if (whole.empty()) continue;
        if (whole[0] == u'#') {
            if (whole == u"#start") inBlock = true;
            if (whole == u"#end") break;
            continue;
        }
        if (!inBlock) continue;
        std::u16string_view line = whole;
        line = line.substr(0, line.find(u';'));
        if (std::optional<VrRule> rule = parseRule(line)) rules->push_back(std::move(*rule));
    }
    return true;
}

}  // namespace tvr::stores
