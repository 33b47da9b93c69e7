// SPDX-License-Identifier: MIT
#pragma once
// Everything a handler needs, without a socket: settings, library state, a recording sink, a
// status board, a front-end queue, a manual clock and a session. Commands go through the same
// table lookup and record decoding as on a connection.
#include <string>
#include <vector>

#include "core/paths.h"
#include "protocol/command_table.h"
#include "protocol/handler_context.h"
#include "protocol/text_handlers.h"
#include "support/data_folder_scope.h"
#include "support/recording_sink.h"
#include "support/temp_folder.h"

namespace tvr::test {

class HandlerHarness {
public:
    HandlerHarness() {
        dataFolder_.set(folder.path16());
        config = core::defaultConfig();
    }

    protocol::HandlerContext context() {
        return {config,         library, sink, status,  &frontEnd, nullptr,
                channelChanges, clock,   log,  session, search,    [] { return false; }};
    }
    /// Applies the settings to the library state, as the server does when it takes them.
    void apply() { library.apply(config); }
    /// Runs one command record; entries receives its reply entries.
    bool command(std::u16string_view name, std::vector<std::u16string> args,
                 std::vector<protocol::ResultEntry>* entries = nullptr) {
        args.resize(4);
        const std::u16string all[4] = {args[0], args[1], args[2], args[3]};
        std::string payload = protocol::encodeCommandPayload(name, all);
        protocol::RecordView record{protocol::kCommand, reinterpret_cast<const std::uint8_t*>(payload.data()),
                                    payload.size()};
        auto handlerContext = context();
        sink.results.clear();
        bool result = protocol::dispatchCommand(handlerContext, record);
        if (entries != nullptr) {
            entries->clear();
            for (const auto& entry : sink.results) entries->push_back({entry.index, entry.value, entry.text});
        }
        return result;
    }
    protocol::Outcome text(std::u16string_view message) {
        auto handlerContext = context();
        return protocol::handleText(handlerContext, message);
    }

    TempFolder folder;
    core::Config config;
    library::LibraryState library;
    RecordingSink sink;
    core::ServerLog log;
    protocol::StatusBoard status{log};
    core::CommandQueue frontEnd;
    core::ChannelChangeLog channelChanges;
    core::ManualClock clock;
    protocol::Session session;
    std::unique_ptr<search::SearchEngine> search;

private:
    test::DataFolderScope dataFolder_;
};

}  // namespace tvr::test
