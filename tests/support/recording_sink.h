// SPDX-License-Identifier: MIT
#pragma once
// A reply sink that keeps everything a handler says, in order, as short readable lines.
#include <string>
#include <vector>

#include "core/reply_sink.h"
#include "platform/utf.h"

namespace tvr::test {

class RecordingSink : public core::ReplySink {
public:
    void appendText(std::u16string_view message) override { events.push_back(platform::toUtf8(message)); }
    void beginList() override { events.push_back("begin"); }
    void addListEntry(std::uint16_t value, std::u16string_view folder, std::u16string_view name) override {
        events.push_back("entry " + std::to_string(value) + " " + platform::toUtf8(folder) + " | " +
                         platform::toUtf8(name));
    }
    void endList() override { events.push_back("end"); }

    std::vector<std::string> events;
};

}  // namespace tvr::test
