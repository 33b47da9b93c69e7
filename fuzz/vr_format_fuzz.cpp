// SPDX-License-Identifier: MIT
// The VR format rule file ("VRFormat.txt") with any content: every rule message that reaches
// the headset fits its message size and the rules are numbered in order.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "protocol/reply_sink.h"
#include "protocol/tagged_message.h"
#include "protocol/vr_rule_messages.h"
#include "stores/vr_format_rules.h"

namespace {

using namespace tvr;

void check(bool condition) {
    if (!condition) std::abort();
}

class CollectingSink : public protocol::ReplySink {
public:
    void appendText(std::u16string_view message) override { texts.emplace_back(message); }
    void appendResult(std::int32_t, std::int32_t, std::u16string_view) override { std::abort(); }
    void beginList() override { std::abort(); }
    void addListEntry(std::uint16_t, std::u16string_view, std::u16string_view) override { std::abort(); }
    void endList() override { std::abort(); }
    std::vector<std::u16string> texts;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::TempFolder& folder = fuzz::tempFolder();
    folder.write("VRFormat.txt", std::string_view(reinterpret_cast<const char*>(data), size));
    CollectingSink sink;
    std::vector<stores::VrRule> rules;
    check(stores::readVrFormatRules(folder.file("VRFormat.txt"), &rules));
    protocol::appendVrFormatRules(sink, rules);
    for (std::size_t i = 0; i < sink.texts.size(); ++i) {
        const std::u16string& text = sink.texts[i];
        check(text.size() <= protocol::kMaxRuleMessage && protocol::messageIs(text, u"#RET_VR_FORMAT("));
        check(protocol::intAfterKey(text, u"<no>") == static_cast<std::int32_t>(i));
    }
    return 0;
}
