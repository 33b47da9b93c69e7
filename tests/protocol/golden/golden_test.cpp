// SPDX-License-Identifier: MIT
// Replays the golden transcripts (golden/*.txt, one file per area) against a real control server
// on loopback: every request's reply must be the golden bytes exactly. A reply changes only by a
// deliberate edit of its golden file; TVR_GOLDEN_UPDATE=1 writes the replies seen into the
// files (but for cases with lines of one system only, which are edited by hand), to be read
// against what the headset expects before they are committed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "client/control_client.h"
#include "core/paths.h"
#include "core/settings.h"
#include "platform/fs.h"
#include "platform/poll.h"
#include "platform/socket.h"
#include "platform/utf.h"
#include "protocol/command_table.h"
#include "protocol/control_server.h"
#include "protocol/golden/transcript.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::test::golden {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kReplyTimeoutMs = 30000;

std::string readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// The lines that differ, each side marked, with the lines around them.
std::string diff(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    const std::size_t n = expected.size();
    const std::size_t m = actual.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] =
                expected[i] == actual[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::string out;
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            out += "  " + expected[i++] + "\n";
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            out += "+ " + actual[j++] + "\n";
        } else {
            out += "- " + expected[i++] + "\n";
        }
    }
    return out;
}

class GoldenReplay {
public:
    explicit GoldenReplay(TempFolder& folder) : folder_(folder) {
        root_ = folder.path16();
        for (char16_t& unit : root_)
            if (unit == u'\\') unit = u'/';
        rootText_ = quote(root_);
        rootText_ = rootText_.substr(1, rootText_.size() - 2);
    }
    ~GoldenReplay() {
        platform::closeSocket(socket_);
        server_.reset();
    }

    void makeFixtures() {
        const std::string root = platform::toUtf8(root_);
        folder_.write("v/a.mp4", "video a");
        folder_.write("v/b.mkv", "video b");
        folder_.write("v/notes.txt", "not a video");
        folder_.write("v/Disc 10/c.mp4", "video c");
        folder_.write("v/Disc 2/d.mp4", "video d");
        folder_.write("v/$skip/e.mp4", "video e");
        folder_.makeFolder("tree/A/x");
        folder_.makeFolder("tree2/B");
        folder_.write("ch3.vrl", "#name \"My Trips\"\n" + root + "/v/a.mp4\n" + root + "/v/Disc 2\n#end\n");
        folder_.write("SearchFolder1.vrl", root + "/v\n");
        folder_.write("PCFolderList.vrl", root + "/v\n#sc \"" + root + "/tree\"\n#cmd Refresh\n#cmd (Storage)\n#end\n");
        folder_.write("VRFormat.txt",
                      "#start\ntag=\"_LR\" layout=\"SideBySide\" screen=\"Dome\" ; a comment\n"
                      "tag_sp=\"_360\" type=\"Mono\" param=\"Sphere\"\n#end\n");
        config_ = core::defaultConfig();
        config_.channels[1].path = root_ + u"/v";
        config_.extensions = u"mp4 mkv";
        config_.usePassword = 1;
        config_.password = u"pw";
    }

    bool start() {
        server_ = std::make_unique<protocol::ControlServer>(clock_, &commands_, library_);
        if (!server_->startListening(0, config_, kLoopback)) return false;
        return connect();
    }

    bool connect() {
        platform::closeSocket(socket_);
        socket_ = platform::tcpConnect({kLoopback, server_->port()}, 5000);
        if (socket_ == platform::kInvalidSocket) return false;
        platform::setNoDelay(socket_);
        buffer_.clear();
        return true;
    }

    // Runs one case; its reply lines as seen (root replaced by its placeholder) go to actual,
    // the bytes to bytes. Expected verdicts tell when the reply is whole.
    void run(const Case& c, std::size_t verdicts, std::vector<std::string>* actual, std::string* bytes) {
        std::vector<std::string> request;
        for (const std::string& step : c.steps) {
            if (step.starts_with(">")) {
                request.push_back(withRoot(step));
            } else {
                directive(step.substr(1));
            }
        }
        if (request.empty()) return;
        std::string requestBytes;
        std::string error;
        ASSERT_TRUE(encodeRequest(request, &requestBytes, &error)) << error;
        if (verdicts == 0) verdicts = answeredRecords(request);
        takeStatus();
        ASSERT_TRUE(sendAll(requestBytes));
        *bytes = readReply(verdicts);
        *actual = renderReply(*bytes);
        for (std::string& line : *actual) replaceAll(line, rootText_, "{root}");
    }

    std::string withRoot(std::string line) const {
        replaceAll(line, "{root}", rootText_);
        return line;
    }

private:
    // The main window takes the status slot every 100 ms; a failure reply then carries what the
    // failing request itself posted, or nothing.
    void takeStatus() {
        protocol::StatusSlot slot;
        server_->takeStatus(&slot);
        server_->takeEvents();
    }

    void directive(const std::string& text) {
        std::istringstream words(text);
        std::string name;
        words >> name;
        if (name == "login") {
            const std::vector<std::string> login = {"> STRG " + quote(client::ControlClient::setupMessage()),
                                                    "> STRG \"#CMD_PASSWORD(<pass>\\\"pw\\\")\""};
            ASSERT_FALSE(exchange(login, 2).empty());
        } else if (name == "advance") {
            std::uint32_t ms = 0;
            words >> ms;
            clock_.advance(ms);
        } else if (name == "reconnect") {
            ASSERT_TRUE(connect());
        } else if (name == "wait-search") {
            for (int i = 0; i < 3000; ++i) {
                if (exchange({"> MSGE \"CM_SEARCH_ISFINISHED\" \"\" \"\" \"\" \"\""}, 1).find("< RTMS 0 1 ") == 0)
                    return;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            FAIL() << "the search never finished";
        } else if (name == "age") {
            // Makes a file look changed on disk since it was last read.
            std::string relative;
            words >> relative;
            platform::FileTimes times;
            ASSERT_TRUE(platform::getFileTimes(folder_.file16(relative), &times));
            times.write -= 100000000;  // ten seconds
            ASSERT_TRUE(platform::setFileTimes(folder_.file16(relative), times));
        } else {
            FAIL() << "unknown directive " << text;
        }
    }

    // Sends a request outside the transcript; its first reply line after the packet line.
    std::string exchange(const std::vector<std::string>& request, std::size_t verdicts) {
        std::string bytes;
        std::string error;
        if (!encodeRequest(request, &bytes, &error) || !sendAll(bytes)) return {};
        std::vector<std::string> lines = renderReply(readReply(verdicts));
        return lines.size() > 1 ? lines[1] : std::string();
    }

    // The records of a request that get a verdict: all but a save's data lines, and its start
    // when an end line follows (the save then answers once, at the end).
    static std::size_t answeredRecords(const std::vector<std::string>& request) {
        std::size_t count = 0;
        for (const std::string& line : request) {
            const bool data = line.find("#DAT_SAVE_CHANNEL") != std::string::npos;
            const bool start = line.find("#CMD_SAVE_CHANNEL") != std::string::npos;
            if (line.starts_with("> PACK") || data || (start && request.back().find("#DAT_END") != std::string::npos))
                continue;
            ++count;
        }
        return count;
    }

    bool sendAll(std::string_view bytes) {
        while (!bytes.empty()) {
            platform::IoResult result = platform::sendSome(socket_, bytes.data(), bytes.size());
            if (result.status == platform::IoStatus::Ok) {
                bytes.remove_prefix(result.bytes);
            } else if (result.status == platform::IoStatus::WouldBlock) {
                platform::PollItem item{socket_, false, true};
                platform::pollSockets(&item, 1, 100, nullptr);
            } else {
                return false;
            }
        }
        return true;
    }

    // Reads whole packets until they hold the verdicts, or the time is up.
    std::string readReply(std::size_t verdicts) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyTimeoutMs);
        std::size_t used = 0;
        std::size_t seen = 0;
        while (seen < verdicts && std::chrono::steady_clock::now() < deadline) {
            while (used + protocol::kHeaderSize <= buffer_.size()) {
                const auto* head = reinterpret_cast<const std::uint8_t*>(buffer_.data() + used);
                const std::size_t size = protocol::kHeaderSize + protocol::readU32(head + 4);
                if (used + size > buffer_.size()) break;
                seen += verdictCount(renderReply(buffer_.substr(used, size)));
                used += size;
                if (seen >= verdicts) break;
            }
            if (seen >= verdicts) break;
            platform::PollItem item{socket_, true, false};
            platform::pollSockets(&item, 1, 100, nullptr);
            char chunk[65536];
            platform::IoResult result = platform::recvSome(socket_, chunk, sizeof chunk);
            if (result.status == platform::IoStatus::Ok) buffer_.append(chunk, result.bytes);
            if (result.status == platform::IoStatus::Closed || result.status == platform::IoStatus::Error) break;
        }
        std::string reply = buffer_.substr(0, used);
        buffer_.erase(0, used);
        return reply;
    }

    TempFolder& folder_;
    std::u16string root_;
    std::string rootText_;
    core::Config config_;
    core::ManualClock clock_;
    core::CommandQueue commands_;
    library::LibraryState library_;
    std::unique_ptr<protocol::ControlServer> server_;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
    std::string buffer_;
};

class GoldenTranscript : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTranscript, RepliesAreTheGoldenBytes) {
    const std::filesystem::path path = std::filesystem::path(TVR_GOLDEN_DIR) / (GetParam() + ".txt");
    File file = parseFile(readWhole(path));
    ASSERT_FALSE(file.cases.empty()) << "no cases in " << path;
    const bool update = std::getenv("TVR_GOLDEN_UPDATE") != nullptr;

    TempFolder folder;
    {
        const test::DataFolderScope dataFolder(folder.path16());
        GoldenReplay replay(folder);
        replay.makeFixtures();
        ASSERT_TRUE(replay.start());
        // The drives differ by system: a drive row is written once per system.
        const std::string_view system = platform::backslashIsSeparator() ? "windows" : "linux";
        for (Case& c : file.cases) {
            const std::vector<std::string> golden = linesFor(c.reply, system);
            const bool keep = hasSystemLines(c.reply);
            std::vector<std::string> actual;
            std::string bytes;
            replay.run(c, update && !keep ? 0 : verdictCount(golden), &actual, &bytes);
            if (HasFatalFailure()) break;
            if (update && !keep) {
                c.reply = actual;
                continue;
            }
            EXPECT_TRUE(actual == golden) << "case \"" << c.name << "\" in " << path.filename() << ":\n"
                                          << diff(golden, actual);
            std::vector<std::string> expectedLines;
            for (const std::string& line : golden) expectedLines.push_back(replay.withRoot(line));
            std::string expected;
            std::string error;
            EXPECT_TRUE(encodeReply(expectedLines, &expected, &error)) << c.name << ": " << error;
            EXPECT_TRUE(expected == bytes) << "case \"" << c.name << "\": the reply bytes differ from the golden ones";
        }
    }
    if (update) std::ofstream(path, std::ios::binary) << formatFile(file);
}

const std::vector<std::string> kAreas = {"handshake", "session",   "channels", "files", "markers",
                                         "vr_format", "word_list", "ini",      "search"};

INSTANTIATE_TEST_SUITE_P(Areas, GoldenTranscript, ::testing::ValuesIn(kAreas),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// Every command of the table and every message the headset sends or reads is in a transcript.
TEST(GoldenTranscripts, CoverEveryCommandAndMessage) {
    std::string all;
    for (const std::string& area : kAreas) all += readWhole(std::filesystem::path(TVR_GOLDEN_DIR) / (area + ".txt"));
    for (const protocol::CommandRow& row : protocol::allCommands()) {
        const std::string name = platform::toUtf8(row.name);
        EXPECT_NE(all.find("> MSGE \"" + name + "\""), std::string::npos) << name;
    }
    for (const char* request :
         {"#CMD_SETUP", "#CMD_PASSWORD", "#CMD_GET_CHANNEL", "#CMD_SAVE_CHANNEL", "#DAT_SAVE_CHANNEL", "#DAT_END"}) {
        EXPECT_NE(all.find("> STRG \"" + std::string(request)), std::string::npos) << request;
    }
    for (const char* reply : {"#RET_OK()", "#RET_ERR(", "#RET_VERSION(", "#RET_CH_NAME(", "#RET_SEEK_TIME(",
                              "#RET_USE_MOUSE(", "#RET_USE_HTTP(", "#RET_REQUEST_PASSWORD()", "#RET_VR_FORMAT(",
                              "RET_RELOAD(", "#RET_ROOT(", "#RET_DIR(", "#RET_END("}) {
        EXPECT_NE(all.find("< STRG \"" + std::string(reply)), std::string::npos) << reply;
    }
    for (const char* row : {"<type>0,", "<type>1,", "<type>2,", "<type>3,", "<type>4,"}) {
        EXPECT_NE(all.find(row), std::string::npos) << "a folder row " << row;
    }
}

}  // namespace
}  // namespace tvr::test::golden
