// SPDX-License-Identifier: MIT
#pragma once
// A reply sink that keeps everything a handler says, in order, as short readable lines.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/utf.h"
#include "protocol/reply_sink.h"

namespace tvr::test {

class RecordingSink : public protocol::ReplySink {
public:
    void appendText(std::u16string_view message) override { events.push_back(platform::toUtf8(message)); }
    void appendResult(std::int32_t index, std::int32_t value, std::u16string_view text) override {
        events.push_back("result " + std::to_string(index) + " " + std::to_string(value) + " " +
                         platform::toUtf8(text));
        results.push_back({index, value, std::u16string(text)});
    }
    void beginList() override { events.push_back("begin"); }
    void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) override {
        events.push_back("entry " + std::to_string(value) + " " + platform::toUtf8(folder) + " | " +
                         platform::toUtf8(name));
    }
    void endList() override { events.push_back("end"); }

    struct Result {
        std::int32_t index;
        std::int32_t value;
        std::u16string text;
    };

    std::vector<std::string> events;
    std::vector<Result> results;
};

}  // namespace tvr::test
