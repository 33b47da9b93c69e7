// SPDX-License-Identifier: MIT
// Listing channels and saving the search and favourites lists through a real connection.
#include <filesystem>

#include "core/text.h"
#include "integration/control_fixture.h"
#include "platform/text_file.h"
#include "protocol/status_codes.h"
#include "protocol/wire.h"
#include "support/folder_link.h"
#include "support/sparse_file.h"
#include "support/stored_path.h"

namespace tvr::test {
namespace {

class ChannelTest : public ControlServerTest {
protected:
    void SetUp() override {
        ControlServerTest::SetUp();
        config.extensions = u"mp4 mkv";
    }
    void connectAuthenticated() {
        startAndConnect();
        ASSERT_TRUE(handshake().ok);
    }
    std::u16string dataLine(const std::string& path) {
        return core::format(u"#DAT_SAVE_CHANNEL(<path>\"%s\")", {platform::fromUtf8(path)});
    }
};

TEST_F(ChannelTest, PcFolderListsItsOwnFilesOnly) {
    folder.write("videos/b.mp4", "x");
    folder.write("videos/a.mkv", "x");
    folder.write("videos/notes.txt", "x");
    folder.write("videos/sub/c.mp4", "x");
    config.channels[1].path = folder.file16("videos");
    connectAuthenticated();
    client::Reply reply = request({u"#CMD_GET_CHANNEL(<ch>1)"});
    ASSERT_TRUE(reply.ok);
    std::u16string root = folder.file16("videos");
    EXPECT_EQ(reply.texts(), (std::vector<std::u16string>{
                                 core::format(u"#RET_ROOT(<path>\"%s\")", {root}),
                                 core::format(u"#RET_DIR(<indent>0,<path>\"%s\")", {root}),
                                 u"#RET_END(<no>2)",
                                 u"#RET_OK()",
                             }));
    auto entries = reply.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, u"a.mkv");
    EXPECT_EQ(entries[1].name, u"b.mp4");
    EXPECT_EQ(entries[0].folder, root);
    EXPECT_EQ(entries[1].folder, root);
}

TEST_F(ChannelTest, PlaylistWalksFolderLinesSkippingDollarFoldersAndLinkLoops) {
    folder.write("lib/a.mp4", "x");
    folder.write("lib/readme.txt", "x");
    folder.write("lib/Disc 10/x.mp4", "x");
    folder.write("lib/Disc 2/y.mp4", "x");
    folder.write("lib/Disc 2/deep/z.mkv", "x");
    folder.write("lib/$RECYCLE.BIN/r.mp4", "x");
    // Where the system makes no folder links (Wine), the same walk is checked without the loop.
    const bool linked = test::makeFolderLink(folder.file("lib"), folder.file("lib/Disc 2/loop"));
    if (!linked) RecordProperty("folder link", "none: the walk ran without the loop");
    folder.write("ch3.vrl", "#name Mine\nC:\\Movies\\Trip.mp4\n" + folder.file("lib") + "\n#end\nafter.mp4\n");
    connectAuthenticated();
    client::Reply reply = request({u"#CMD_GET_CHANNEL(<ch>2)"});
    ASSERT_TRUE(reply.ok);
    std::u16string lib = folder.file16("lib");
    EXPECT_EQ(reply.texts(), (std::vector<std::u16string>{
                                 core::format(u"#RET_ROOT(<path>\"%s\")", {folder.file16("ch3.vrl")}),
                                 core::format(u"#RET_DIR(<indent>0,<path>\"%s\")", {lib}),
                                 core::format(u"#RET_DIR(<indent>1,<path>\"%s/Disc 2\")", {lib}),
                                 core::format(u"#RET_DIR(<indent>2,<path>\"%s/Disc 2/deep\")", {lib}),
                                 core::format(u"#RET_DIR(<indent>1,<path>\"%s/Disc 10\")", {lib}),
                                 u"#RET_END(<no>5)",
                                 u"#RET_OK()",
                             }));
    std::vector<std::u16string> names;
    for (const auto& entry : reply.entries()) names.push_back(entry.folder + u"|" + entry.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{
                         u"C:/Movies|Trip.mp4",
                         lib + u"|a.mp4",
                         lib + u"/Disc 2|y.mp4",
                         lib + u"/Disc 2/deep|z.mkv",
                         lib + u"/Disc 10|x.mp4",
                     }));
}

TEST_F(ChannelTest, BadChannelsAreRefusedWithoutRoot) {
    config.channels[0].path = u"(DeviceVide)";
    connectAuthenticated();
    for (const char16_t* message :
         {u"#CMD_GET_CHANNEL(<ch>8)", u"#CMD_GET_CHANNEL(<ch>-1)", u"#CMD_GET_CHANNEL(<ch>0)", u"#CMD_GET_CHANNEL()"}) {
        client::Reply reply = request({message});
        EXPECT_FALSE(reply.ok) << platform::toUtf8(message);
        EXPECT_EQ(reply.texts().size(), 1u) << platform::toUtf8(message);
    }
}

TEST_F(ChannelTest, LargeFolderIsSplitIntoListRecordsEachWithItsFolder) {
    std::string longName(180, 'n');
    for (int i = 0; i < 3000; ++i) folder.write("big/" + longName + std::to_string(i) + ".mp4", "");
    config.channels[1].path = folder.file16("big");
    connectAuthenticated();
    ASSERT_TRUE(client.sendTexts({u"#CMD_GET_CHANNEL(<ch>1)"}));
    std::vector<client::Record> packet;
    std::size_t listRecords = 0;
    std::size_t files = 0;
    std::u16string root = folder.file16("big");
    for (;;) {
        ASSERT_TRUE(client.receivePacket(&packet, kReplyTimeoutMs));
        bool hasList = false;
        for (const auto& record : packet) hasList |= record.type == protocol::kList;
        if (hasList) {
            ASSERT_EQ(packet.size(), 1u) << "a list record travels alone in its packet";
            ++listRecords;
            files += packet[0].entries.size();
            EXPECT_EQ(packet[0].entries.front().folder, root);
        }
        if (packet.back().type == protocol::kText && packet.back().text == u"#RET_OK()") break;
    }
    EXPECT_GT(listRecords, 1u);
    EXPECT_EQ(files, 3000u);
}

TEST_F(ChannelTest, SavingFavouritesRewritesTheListFile) {
    connectAuthenticated();
    client::Reply reply = request({u"#CMD_SAVE_CHANNEL(<ch>7)", dataLine("C:/v/a.mp4"), dataLine("D:/w/b.mp4"),
                                   dataLine("E:/x/a.mp4"), u"#DAT_END(<no>3)"});
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(folder.read("favorite.vrl"), "\xEF\xBB\xBF#name (Favorite)\r\nC:/v/a.mp4\r\nD:/w/b.mp4\r\n#end\r\n");
}

TEST_F(ChannelTest, CountMismatchWritesNothing) {
    connectAuthenticated();
    client::Reply reply = request(
        {u"#CMD_SAVE_CHANNEL(<ch>6)", dataLine("a.mp4"), dataLine("b.mp4"), dataLine("c.mp4"), u"#DAT_END(<no>4)"});
    EXPECT_EQ(reply.final,
              u"#RET_ERR(<code>512,<message>\"エラー： CommandSaveChannel 受け取ったデータの数が合わない\")");
    EXPECT_EQ(folder.read("search.vrl"), "");
}

TEST_F(ChannelTest, DataLinesAcrossPacketsAreTakenIntoOneSave) {
    connectAuthenticated();
    ASSERT_TRUE(client.sendTexts({u"#CMD_SAVE_CHANNEL(<ch>6)", dataLine("a.mp4")}));
    client::Reply reply;
    EXPECT_FALSE(client.receiveReply(&reply, 100)) << "no reply before the end line";
    ASSERT_TRUE(client.sendTexts({dataLine("b.mp4")}));
    ASSERT_TRUE(client.sendTexts({u"#DAT_END(<no>2)", u"#CMD_PASSWORD(<pass>\"\")"}));
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok);
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok) << "the record after the end line is handled as usual";
    EXPECT_EQ(folder.read("search.vrl"), "\xEF\xBB\xBF#name (Search)\r\na.mp4\r\nb.mp4\r\n#end\r\n");
}

TEST_F(ChannelTest, FileChangedOnThePcIsReloadedFirst) {
    folder.write("search.vrl", "old.mp4\n");
    connectAuthenticated();
    client::Reply reply = request({u"#CMD_SAVE_CHANNEL(<ch>6)", dataLine("new.mp4"), u"#DAT_END()"});
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.texts().front(), u"RET_RELOAD(<ch>6)");
    EXPECT_EQ(folder.read("search.vrl"), "\xEF\xBB\xBF#name (Search)\r\nold.mp4\r\nnew.mp4\r\n#end\r\n");
    // The file the server wrote itself is not taken for a change made on the PC.
    reply = request({u"#CMD_SAVE_CHANNEL(<ch>6)", dataLine("only.mp4"), u"#DAT_END(<no>1)"});
    EXPECT_EQ(reply.texts().front(), u"#RET_OK()");
}

TEST_F(ChannelTest, PlaylistChannelCannotBeSaved) {
    connectAuthenticated();
    EXPECT_FALSE(request({u"#CMD_SAVE_CHANNEL(<ch>2)", dataLine("a.mp4"), u"#DAT_END(<no>1)"}).ok);
}

TEST_F(ChannelTest, StrayRecordFailsTheSave) {
    connectAuthenticated();
    client::Reply reply = request({u"#CMD_SAVE_CHANNEL(<ch>6)", u"#CMD_PASSWORD(<pass>\"\")", u"#DAT_END(<no>0)"});
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(folder.read("search.vrl"), "");
}

TEST_F(ChannelTest, SetChannelTypeReachesTheFrontEnd) {
    connectAuthenticated();
    std::u16string args[4] = {u"1", u"0", folder.path16(), u""};
    ASSERT_TRUE(client.sendCommand(u"CM_SET_CHANNEL_TYPE", args));
    client::Reply reply;
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_TRUE(reply.ok);
    auto posted = commands.drain();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].id, core::kRefreshChannels);
    EXPECT_EQ(posted[0].channel, 1);
    EXPECT_EQ(posted[0].path, test::storedPath(folder.path16()));
    std::u16string typeArgs[4] = {u"1", u"", u"", u""};
    ASSERT_TRUE(client.sendCommand(u"CM_GET_CHANNEL_TYPE", typeArgs));
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    ASSERT_EQ(reply.records.size(), 2u);
    EXPECT_EQ(reply.records[0].result.value, 0);
    EXPECT_EQ(reply.records[0].result.text, test::storedPath(folder.path16()));
    args[1] = u"2";
    ASSERT_TRUE(client.sendCommand(u"CM_SET_CHANNEL_TYPE", args));
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_FALSE(reply.ok);
}

TEST_F(ChannelTest, ALargeFileNamedAsAChannelIsRefusedWithTheErrorReplyAndAConsoleLine) {
    // Sparse: no disk, but reading it whole would reserve 100 GiB.
    ASSERT_TRUE(test::makeSparseFile(folder.file("huge.mp4"), 100ULL << 30));
    connectAuthenticated();
    std::u16string args[4] = {u"1", u"0", folder.file16("huge.mp4"), u""};
    ASSERT_TRUE(client.sendCommand(u"CM_SET_CHANNEL_TYPE", args));
    client::Reply reply;
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    ASSERT_TRUE(reply.ok);
    reply = request({u"#CMD_GET_CHANNEL(<ch>1)"});
    EXPECT_FALSE(reply.ok);
    ASSERT_EQ(reply.texts().size(), 2u);
    EXPECT_TRUE(reply.texts()[1].starts_with(u"#RET_ERR(<code>513,<message>\"ReadListFile() : "))
        << platform::toUtf8(reply.texts()[1]);
    EXPECT_NE(waitStatus(protocol::status::kError).text2.find(u"huge.mp4"), std::u16string::npos);
    EXPECT_TRUE(handshake().ok) << "the connection goes on";
}

TEST_F(ChannelTest, AFolderWithNamesThatAreNotUtf8IsNamedOnTheConsoleOnce) {
    if (platform::backslashIsSeparator()) GTEST_SKIP() << "Windows names are UTF-16 and cannot be made so";
    folder.write("videos/caf\xe9.mp4", "x");
    folder.write("videos/caf\xe8.mp4", "x");
    folder.write("videos/caf\xef\xbf\xbd.mp4", "x");
    config.channels[1].path = folder.file16("videos");
    connectAuthenticated();
    client::Reply reply = request({u"#CMD_GET_CHANNEL(<ch>1)"});
    ASSERT_TRUE(reply.ok);
    ASSERT_EQ(reply.entries().size(), 1u);
    EXPECT_EQ(reply.entries()[0].name, u"caf\uFFFD.mp4");
    EXPECT_EQ(waitStatus(protocol::status::kError).text2,
              core::format(protocol::status::kUndecodableNamesFormat, {folder.file16("videos")}));
}

TEST_F(ChannelTest, AHeadsetThatLeavesAVrDeviceWalkIsSaidToHaveLeft) {
    // Wide enough that the walk goes on well after its first packet left: each folder is a
    // "#RET_DIR" line, some 400 of them a packet. Made in memory where there is such a file
    // system: a busy disk takes seconds for 10,000 folders. Wine makes folders far slower still.
    const int kShows = platform::backslashIsSeparator() ? 20 : 100;
    const bool inMemory = std::filesystem::is_directory("/dev/shm");
    const TempFolder tree = inMemory ? TempFolder("/dev/shm") : TempFolder();
    for (int show = 0; show < kShows; ++show) {
        const std::string name = "show " + std::to_string(show);
        tree.makeFolder(name);
        for (int season = 0; season < 100; ++season) tree.makeFolder(name + "/season " + std::to_string(season));
    }
    config.channels[1].type = core::kChannelVrDevice;
    config.channels[1].path = tree.path16();
    connectAuthenticated();
    ASSERT_TRUE(client.sendTexts({u"#CMD_GET_CHANNEL(<ch>1)"}));
    std::vector<client::Record> records;
    ASSERT_TRUE(client.receivePacket(&records, kReplyTimeoutMs)) << "the walk never started";
    client.close();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::vector<protocol::Refusal> refusals;
    std::vector<protocol::Note> notes;
    while (refusals.empty() && std::chrono::steady_clock::now() < deadline) {
        server->takeEvents(&refusals, &notes);
        if (refusals.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_EQ(refusals.size(), 1u) << "the walk ended without a word";
    EXPECT_EQ(refusals[0].request, u"#CMD_GET_CHANNEL");
    EXPECT_EQ(refusals[0].reason, u"channel 2 ([ch.1], VR device): the headset left before the listing ended");
}

// A playlist whose lines each walk the same tree again: a listing far longer than any wait below.
class LongListingTest : public ChannelTest {
protected:
    void SetUp() override {
        ChannelTest::SetUp();
        for (int f = 0; f < 20; ++f) folder.write("tree/Show " + std::to_string(f) + "/ep.mp4", "x");
        std::string lines;
        for (int i = 0; i < 100000; ++i) lines += folder.file("tree") + "\n";
        folder.write("ch3.vrl", lines);
        connectAuthenticated();
        ASSERT_TRUE(client.sendTexts({u"#CMD_GET_CHANNEL(<ch>2)"}));
        // The first packets show that the walk runs.
        std::vector<client::Record> records;
        for (int packets = 0; packets < 3; ++packets) ASSERT_TRUE(client.receivePacket(&records, kReplyTimeoutMs));
    }
    // The walk's end in its own words: a listing the headset left is refused as abandoned, while
    // a walk that ran on to its folder cap lists what it found and is refused nothing.
    std::u16string walkRefusal() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::vector<protocol::Refusal> refusals;
        std::vector<protocol::Note> notes;
        while (refusals.empty() && std::chrono::steady_clock::now() < deadline) {
            server->takeEvents(&refusals, &notes);
            if (refusals.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return refusals.empty() ? std::u16string() : refusals[0].reason;
    }
    // A new headset's handshake, answered once the walk has ended.
    bool newHeadsetIsAnswered() {
        client::ControlClient next;
        client::Reply reply;
        return next.connect("127.0.0.1", server->port(), 5000) &&
               next.sendTexts({client::ControlClient::setupMessage()}) && next.receiveReply(&reply, 5000) && reply.ok;
    }
    static constexpr std::u16string_view kAbandoned =
        u"channel 3 ([ch.2], playlist): the headset left before the listing ended";
};

TEST_F(LongListingTest, AHeadsetThatLeavesEndsTheWalk) {
    client.close();
    EXPECT_EQ(walkRefusal(), kAbandoned);
    EXPECT_TRUE(newHeadsetIsAnswered());
}

TEST_F(LongListingTest, AForcedDisconnectEndsTheWalk) {
    server->requestForceDisconnect();
    EXPECT_NE(waitStatusWithin(protocol::status::kDisconnected, 30).text1.find(protocol::status::kReasonForced),
              std::u16string::npos);
    EXPECT_EQ(walkRefusal(), kAbandoned);
    EXPECT_TRUE(newHeadsetIsAnswered());
}

TEST_F(LongListingTest, AStopEndsTheWalk) {
    auto start = std::chrono::steady_clock::now();
    server.reset();
    // About 100 ms as it is; a walk that ran on to its folder cap would take several seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
}  // namespace tvr::test
