// SPDX-License-Identifier: MIT
// The message and command tables without a socket: lookup rules, the password gate, and the
// commands built so far.
#include <gtest/gtest.h>

#include "protocol/handler_harness.h"
#include "protocol/record_reply.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {
namespace {

using test::HandlerHarness;

TEST(TextHandlers, NamesAreMatchedAsPrefixesAndThePasswordGuardsTheLibrary) {
    HandlerHarness h;
    h.config.usePassword = 1;
    h.config.password = u"pw";
    // Only the beginning of the text is compared, so trailing characters after the name still match.
    EXPECT_EQ(h.text(u"#CMD_PASSWORDX(<pass>\"pw\")"), Outcome::Success);
    h.session.authenticated = false;
    EXPECT_EQ(h.text(u"#CMD_GET_CHANNEL(<ch>0)"), Outcome::Failure);
    EXPECT_TRUE(h.sink.events.empty());
    EXPECT_EQ(h.text(u"#cmd_setup(<protocol_ver>130)"), Outcome::Failure);  // case-sensitive
    EXPECT_EQ(h.text(u"#CMD_UNKNOWN()"), Outcome::Failure);
    EXPECT_EQ(h.text(u" #CMD_SETUP()"), Outcome::Failure);  // the name must begin the text
}

TEST(TextHandlers, SaveChannelWaitsForItsDataRecords) {
    HandlerHarness h;
    h.apply();  // the defaults keep the favourites on channel 7
    h.session.authenticated = true;
    EXPECT_EQ(h.text(u"#CMD_SAVE_CHANNEL(<ch>5)"), Outcome::Failure);  // a playlist channel
    EXPECT_EQ(h.session.saving, nullptr);
    EXPECT_EQ(h.text(u"#CMD_SAVE_CHANNEL(<ch>7)"), Outcome::Pending);
    EXPECT_NE(h.session.saving, nullptr);
}

struct CommandCase {
    const char* name;
    std::u16string command;
    std::vector<std::u16string> args;
    bool result;
    std::vector<std::pair<std::int32_t, std::u16string>> entries;
};

TEST(CommandTable, NamesAreWholeAndCaseSensitive) {
    const CommandCase cases[] = {
        {"known", u"CM_GET_CHANNEL_TYPE", {u"3"}, true, {{core::kChannelPlaylist, u"ch4.vrl"}}},
        {"lower case", u"cm_get_channel_type", {u"3"}, false, {}},
        {"extra character", u"CM_GET_CHANNEL_TYPEX", {u"3"}, false, {}},
        {"prefix only", u"CM_GET_CHANNEL", {u"3"}, false, {}},
        {"unknown", u"CM_NOTHING", {}, false, {}},
        {"channel outside 0..7", u"CM_GET_CHANNEL_TYPE", {u"8"}, false, {}},
        {"blanks and sign before the number",
         u"CM_GET_CHANNEL_TYPE",
         {u"  +1x"},
         true,
         {{core::kChannelPcFolder, u""}}},
        {"no digits read as channel 0", u"CM_GET_CHANNEL_TYPE", {u"x3"}, true, {{core::kChannelVrDevice, u""}}},
        {"set refuses type 2", u"CM_SET_CHANNEL_TYPE", {u"1", u"2", u"/v"}, false, {}},
    };
    for (const auto& c : cases) {
        HandlerHarness h;
        std::vector<ResultEntry> entries;
        EXPECT_EQ(h.command(c.command, c.args, &entries), c.result) << c.name;
        std::vector<std::pair<std::int32_t, std::u16string>> got;
        for (const auto& entry : entries) got.emplace_back(entry.value, entry.text);
        EXPECT_EQ(got, c.entries) << c.name;
    }
}

TEST(CommandTable, SetChannelTypeChangesTheSettingsAndTellsTheFrontEnd) {
    HandlerHarness h;
    ASSERT_TRUE(h.command(u"CM_SET_CHANNEL_TYPE", {u"4", u"1", u""}));
    EXPECT_EQ(h.config.channels[4].type, core::kChannelVrDevice);
    auto posted = h.frontEnd.drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].id, core::kRefreshChannels);
    EXPECT_EQ(posted[0].channel, 4);
}

// Text messages and commands answer through the one reply path: the handler's own records,
// then the verdict, all in the sink, in order.
TEST(RecordReply, EveryRecordEndsWithItsVerdictAfterWhatItsHandlerSaid) {
    const std::string malformed = [] {
        std::string payload = encodeCommandPayload(u"CM_GET_CHANNEL_TYPE", {u"1", u"", u"", u""});
        payload.resize(payload.size() - 3);  // the last argument's terminator is cut off
        return payload;
    }();
    const std::string command = encodeCommandPayload(u"CM_GET_CHANNEL_TYPE", {u"2", u"", u"", u""});
    const std::string password = encodeTextPayload(u"#CMD_PASSWORD(<pass>\"pw\")");
    const std::string save = encodeTextPayload(u"#CMD_SAVE_CHANNEL(<ch>7)");
    const std::string end = encodeTextPayload(u"#DAT_END(<no>0)");
    struct Case {
        const char* name;
        bool authenticated;
        FourCC type;
        const std::string& payload;
        bool answered;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"a command's entries come before its verdict",
         true,
         kCommand,
         command,
         true,
         {"result 0 4 ch3.vrl", "#RET_OK()"}},
        {"a command before the password", false, kCommand, command, true, {"#RET_ERR(<code>0,<message>\"\")"}},
        {"a malformed command",
         true,
         kCommand,
         malformed,
         true,
         {"#RET_ERR(<code>513,<message>\"コマンドレコードが不正\")"}},
        {"a text message", false, kText, password, true, {"#RET_OK()"}},
        {"a save waits for its data", true, kText, save, false, {}},
    };
    for (const Case& c : cases) {
        HandlerHarness h;
        h.apply();
        h.config.usePassword = 1;
        h.config.password = u"pw";
        h.session.authenticated = c.authenticated;
        auto context = h.context();
        RecordView record{c.type, reinterpret_cast<const std::uint8_t*>(c.payload.data()), c.payload.size()};
        EXPECT_EQ(answerRecord(context, record), c.answered) << c.name;
        EXPECT_EQ(h.sink.events, c.events) << c.name;
        if (c.answered) continue;
        RecordView last{kText, reinterpret_cast<const std::uint8_t*>(end.data()), end.size()};
        EXPECT_TRUE(answerRecord(context, last)) << c.name;
        EXPECT_EQ(h.sink.events.back(), "#RET_OK()") << c.name;
    }
}

TEST(CommandTable, EntriesStopAtThirtyTwo) {
    CommandCall call(CommandRecord{});
    for (int i = 0; i < 40; ++i) call.addEntry(i, u"");
    ASSERT_EQ(call.entries().size(), CommandCall::kMaxEntries);
    EXPECT_EQ(call.entries().back().index, 31);
}

}  // namespace
}  // namespace tvr::protocol
