// SPDX-License-Identifier: MIT
// The search commands over a real connection, as the headset polls them: start, poll until
// finished, read rows in windows; a start during a running search; a stop during a search.
#include <chrono>
#include <filesystem>
#include <future>

#include "integration/control_fixture.h"
#include "protocol/status_codes.h"

namespace tvr::test {
namespace {

constexpr int kFolders = 20;
constexpr int kFilesPerFolder = 200;

class SearchOverConnectionTest : public ControlServerTest {
protected:
    void SetUp() override {
        ControlServerTest::SetUp();
        // Links to one file per folder are far quicker to make than as many new files.
        for (int f = 0; f < kFolders; ++f) {
            const std::string show = "tree/Show " + std::to_string(f);
            folder.write(show + "/Episode 0.mp4", "");
            for (int i = 1; i < kFilesPerFolder; ++i) {
                std::filesystem::create_hard_link(folder.file(show + "/Episode 0.mp4"),
                                                  folder.file(show + "/Episode " + std::to_string(i) + ".mp4"));
            }
        }
        // The search-folder list names the tree many times over, so a name search runs long.
        std::string list;
        for (int i = 0; i < 400; ++i) list += folder.file("tree") + "\n";
        folder.write("SearchFolder1.vrl", list);
        config.searchFolder1 = u"SearchFolder1.vrl";
        config.extensions = u"mp4";
        startAndConnect();
        ASSERT_TRUE(handshake().ok);
    }
    client::Reply command(std::u16string_view name, std::u16string a0 = u"", std::u16string a1 = u"") {
        const std::u16string args[4] = {std::move(a0), std::move(a1), u"", u""};
        client::Reply reply;
        EXPECT_TRUE(client.sendCommand(name, args));
        EXPECT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
        return reply;
    }
    std::vector<protocol::ResultEntry> entries(const client::Reply& reply) {
        std::vector<protocol::ResultEntry> out;
        for (const auto& record : reply.records)
            if (record.type == protocol::kResult) out.push_back(record.result);
        return out;
    }
    bool pollUntilFinished() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            auto answer = entries(command(u"CM_SEARCH_ISFINISHED"));
            if (answer.size() == 1 && answer[0].value == 1) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
};

TEST_F(SearchOverConnectionTest, GetDirIsPolledAndReadInWindows) {
    EXPECT_FALSE(command(u"CM_SEARCH_GETNUM").ok) << "no engine before the first start";
    ASSERT_TRUE(command(u"CM_GETDIR", folder.file16("tree")).ok);
    ASSERT_TRUE(pollUntilFinished());
    auto count = entries(command(u"CM_SEARCH_GETNUM"));
    ASSERT_EQ(count.size(), 1u);
    EXPECT_EQ(count[0].value, kFolders);
    EXPECT_EQ(entries(command(u"CM_SEARCH_GETDIR", u"0", u"100")).size(), 20u);
    EXPECT_EQ(entries(command(u"CM_SEARCH_GETDIR", u"15", u"10")).size(), 5u);
}

TEST_F(SearchOverConnectionTest, StartDuringASearchGivesTheNewRequestsRows) {
    ASSERT_TRUE(command(u"CM_SEARCH_FILE", u"Episode 1").ok);
    ASSERT_EQ(entries(command(u"CM_SEARCH_ISFINISHED"))[0].value, 0) << "the long search is still running";
    ASSERT_TRUE(command(u"CM_GETDIR", folder.file16("tree")).ok);
    ASSERT_TRUE(pollUntilFinished());
    auto rows = entries(command(u"CM_SEARCH_GETDIR", u"0", u"32"));
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kFolders));
    for (const auto& row : rows) EXPECT_EQ(row.text.find(u".mp4"), std::u16string::npos) << "only folder rows";
}

TEST_F(SearchOverConnectionTest, StopDuringASearchDoesNotWaitForIt) {
    ASSERT_TRUE(command(u"CM_SEARCH_FILE", u"Episode").ok);
    ASSERT_EQ(entries(command(u"CM_SEARCH_ISFINISHED"))[0].value, 0);
    auto start = std::chrono::steady_clock::now();
    server.reset();
    // One second is the aim; the bound allows for a loaded machine. A walk of the whole list
    // takes far longer.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(SearchOverConnectionTest, AHeadsetThatLeavesEndsItsSearch) {
    // One row per folder and line: 80,000 rows if the walk ran to its end.
    std::string list;
    for (int i = 0; i < 4000; ++i) list += folder.file("tree") + "\n";
    folder.write("SearchFolder1.vrl", list);
    ASSERT_TRUE(command(u"CM_SEARCH_FILE", u"Episode 199").ok);
    ASSERT_EQ(entries(command(u"CM_SEARCH_ISFINISHED"))[0].value, 0);
    client.close();
    waitStatus(protocol::status::kDisconnected);
    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    ASSERT_TRUE(handshake().ok);
    ASSERT_TRUE(pollUntilFinished());
    auto count = entries(command(u"CM_SEARCH_GETNUM"));
    ASSERT_EQ(count.size(), 1u);
    EXPECT_LT(count[0].value, 4000 * kFolders);
}

}  // namespace
}  // namespace tvr::test
