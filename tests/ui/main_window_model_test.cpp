// SPDX-License-Identifier: MIT
// The main window's model through a fake window and a real controller with its services on
// loopback: start-up problems, the commands and Enter, the two ways to close, the folder check
// of 適用, the event list and the tray tooltip.
#include "ui/main_window_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <thread>

#include "client/control_client.h"
#include "core/paths.h"
#include "core/text.h"
#include "http/refusal_reason.h"
#include "platform/fs.h"
#include "platform/ini_file.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/stored_path.h"
#include "support/temp_folder.h"
#include "ui/window_texts.h"

namespace tvr::test {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

// The window as the model sees it, with what the user would pick in the choosers.
struct FakeWindow final : ui::MainWindowView {
    ui::ChannelRows shown;
    std::array<ui::RowEnabling, core::kChannelCount> enabled{};
    std::array<std::u16string, 2> status;
    std::u16string tooltip, address;
    std::vector<std::u16string> alerts;
    std::optional<std::u16string> pickFile, pickFolder;
    std::optional<ui::ListFileStart> fileChooserStart;
    std::optional<std::u16string> folderChooserStart, edited;
    ui::EditorOutcome editor = ui::EditorOutcome::Opened;
    bool settingsOk = false, fromTray = false, closed = false;
    int settingsRuns = 0, eventWindows = 0, eventNotices = 0;

    ui::ChannelRows rows() override { return shown; }
    void showRows(const ui::ChannelRows& rows) override { shown = rows; }
    void enableRow(int row, const ui::RowEnabling& enabling) override {
        enabled[static_cast<std::size_t>(row)] = enabling;
    }
    void setRowPath(int row, std::u16string_view path) override { shown[static_cast<std::size_t>(row)].path = path; }
    void showAddress(std::u16string_view text) override { address = text; }
    void showStatusPart(int part, std::u16string_view text) override { status[static_cast<std::size_t>(part)] = text; }
    void showTrayTooltip(std::u16string_view text) override { tooltip = text; }
    void alert(std::u16string_view, std::u16string_view text) override { alerts.emplace_back(text); }
    bool runSettingsDialog() override {
        ++settingsRuns;
        return settingsOk;
    }
    std::optional<std::u16string> chooseListFile(const ui::ListFileStart& start) override {
        fileChooserStart = start;
        return pickFile;
    }
    std::optional<std::u16string> chooseFolder(std::u16string_view start) override {
        folderChooserStart = std::u16string(start);
        return pickFolder;
    }
    ui::EditorOutcome openInEditor(std::u16string_view path) override {
        edited = std::u16string(path);
        return editor;
    }
    void showFromTray() override { fromTray = true; }
    void showEventWindow() override { ++eventWindows; }
    void eventsAdded() override { ++eventNotices; }
    void closeWindow() override { closed = true; }
};

bool hasEvent(const ui::MainWindowModel& model, std::u16string_view text) {
    const auto& events = model.events().events();
    return std::any_of(events.begin(), events.end(),
                       [&](const ui::WindowEvent& event) { return event.text.find(text) != std::u16string::npos; });
}

class MainWindowModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataFolder.set(exe);
        ASSERT_TRUE(model.loadSettings());
        model.start();
    }
    std::u16string iniValue(std::u16string_view section, std::u16string_view key) {
        model.controller().flushSettings();
        return platform::iniReadString(model.controller().settings().path(), section, key, u"?");
    }
    // Ticks as the window's timer does until the condition holds or five seconds pass.
    bool tickUntil(const std::function<bool()>& condition) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!condition() && std::chrono::steady_clock::now() < deadline) {
            model.tick();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return condition();
    }
    void connectHeadset(client::ControlClient* headset) {
        client::Reply reply;
        ASSERT_TRUE(headset->connect("127.0.0.1", model.controller().controlServer()->port(), 2000));
        ASSERT_TRUE(headset->sendTexts({client::ControlClient::setupMessage()}) && headset->receiveReply(&reply, 5000));
    }

    TempFolder folder;
    DataFolderScope dataFolder;
    std::u16string exe = storedPath(folder.path16());
    FakeWindow window;
    ui::MainWindowModel model{folder.file16("TamvikVRServer.ini"), window, exe,
                              ui::ControllerOptions{nullptr, true, kLoopback}};
};

TEST_F(MainWindowModelTest, StartFillsTheRowsAndAComboChangeEnablesByTheNewType) {
    EXPECT_EQ(window.shown[2].path, u"ch3.vrl");
    EXPECT_EQ(window.enabled[0], (ui::RowEnabling{false, false, false}));
    EXPECT_EQ(window.enabled[1], (ui::RowEnabling{true, true, false}));
    EXPECT_EQ(window.enabled[7], (ui::RowEnabling{true, true, true}));
    EXPECT_EQ(window.tooltip, u"TamvikVR Server");

    window.shown[2].typeName = u"PCフォルダ";
    EXPECT_TRUE(model.onControl(IDC_ROW3_TYPE, 5)) << "other combo notifications are its own but change nothing";
    EXPECT_EQ(window.enabled[2], (ui::RowEnabling{true, true, true}));
    EXPECT_TRUE(model.onControl(IDC_ROW3_TYPE, ui::kNotifySelectionChanged));
    EXPECT_EQ(window.enabled[2], (ui::RowEnabling{true, true, false}));
}

// 適用, Enter in a path box and 終了 store the rows; only 終了 closes. The close box closes
// without reading them.
TEST_F(MainWindowModelTest, ApplyEnterAndTheTwoWaysToClose) {
    struct Case {
        int id;
        bool closes;
    };
    const Case cases[] = {{IDC_APPLY, false}, {IDC_ENTER, false}, {IDM_TRAY_QUIT, true}, {IDC_QUIT, true}};
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        std::u16string path = core::format(u"list%d.vrl", {c.id});
        window.shown[static_cast<std::size_t>(row)] = {u"プレイリスト", path};
        window.closed = false;
        ASSERT_TRUE(model.onControl(c.id));
        EXPECT_EQ(iniValue(core::format(u"ch.%d", {row}), u"pcPath"), path);
        EXPECT_EQ(iniValue(core::format(u"ch.%d", {row}), u"iType"), u"4");
        EXPECT_EQ(window.closed, c.closes);
        ++row;
    }

    window.shown[6].path = u"typed, then the close box";
    model.close(core::WindowRect{10, 20, 410, 320});
    EXPECT_TRUE(model.closed());
    EXPECT_EQ(iniValue(u"ch.6", u"pcPath"), u"search.vrl");
    EXPECT_EQ(iniValue(u"cdlgMain", u"mrcWnd.rcRight"), u"410");
    EXPECT_FALSE(model.controller().controlServer()) << "closing stops the services";
}

TEST_F(MainWindowModelTest, ApplyStoresAMissingFolderAndSaysSoAtOnce) {
    const std::u16string missing = storedPath(folder.file16("no such folder"));
    folder.write("a file.mp4", "x");
    const std::u16string file = storedPath(folder.file16("a file.mp4"));
    window.shown[4] = {u"PCフォルダ", missing};
    window.shown[5] = {u"PCフォルダ", file};
    window.shown[3] = {u"PCフォルダ", exe};
    ASSERT_EQ(window.shown[1].typeName, u"PCフォルダ");
    ASSERT_TRUE(window.shown[1].path.empty());
    ASSERT_TRUE(model.onControl(IDC_APPLY));
    EXPECT_EQ(iniValue(u"ch.4", u"pcPath"), missing) << "the folder is kept as typed";
    const std::u16string expected = core::format(ui::text(ui::TextId::FolderMissing), {5, missing});
    const std::u16string isFile = core::format(ui::text(ui::TextId::FolderIsFile), {6, file});
    ASSERT_TRUE(tickUntil([&] { return window.status[1] == isFile; })) << platform::toUtf8(window.status[1]);
    EXPECT_TRUE(hasEvent(model, expected));
    EXPECT_FALSE(hasEvent(model, core::format(ui::text(ui::TextId::FolderMissing), {6, file})))
        << "a file is no missing folder";
    EXPECT_FALSE(hasEvent(model, u"チャンネル4")) << "an existing folder is no problem";
    EXPECT_FALSE(hasEvent(model, u"チャンネル2")) << "a row left empty is not set, not missing";

    // The folder is made, the file's row names a folder, and both are applied again: the mended problems leaves the
    // status bar and the list of problems, and the apply says it succeeded.
    ASSERT_TRUE(platform::makeFolder(missing));
    window.shown[5] = {u"PCフォルダ", exe};
    ASSERT_TRUE(model.onControl(IDC_APPLY));
    ASSERT_TRUE(tickUntil([&] { return window.status[1] == ui::text(ui::TextId::Applied); }))
        << platform::toUtf8(window.status[1]);
    EXPECT_EQ(std::count(model.problems().begin(), model.problems().end(), expected), 0);
    model.showStatus({}, 1, u"接続待ち", u"");
    EXPECT_EQ(window.status[1], u"") << "a later status does not bring the mended problem back";
}

TEST_F(MainWindowModelTest, FolderButtonChoosesByTheRowsTypeAndAFailedEditorIsSaid) {
    window.pickFile = exe + storedPath(u"/favs.vrl");
    ASSERT_TRUE(model.onControl(IDC_ROW8_FOLDER));
    EXPECT_EQ(window.fileChooserStart->folder, exe);
    EXPECT_EQ(window.shown[7].path, u"favs.vrl") << "a list beside the program is kept by its bare name";

    window.pickFolder = storedPath(folder.file16("videos"));
    ASSERT_TRUE(model.onControl(IDC_ROW2_FOLDER));
    EXPECT_EQ(window.folderChooserStart, exe) << "an empty PC folder row starts in the program's folder";
    EXPECT_EQ(window.shown[1].path, *window.pickFolder);

    window.folderChooserStart.reset();
    window.fileChooserStart.reset();
    ASSERT_TRUE(model.onControl(IDC_ROW1_FOLDER));
    EXPECT_FALSE(window.folderChooserStart || window.fileChooserStart) << "a VR device row has nothing to choose";

    // What became of 編集 is said with the file's whole path: in the event list always, in the
    // status bar when nothing opened.
    struct Edit {
        ui::EditorOutcome outcome;
        std::optional<ui::TextId> said;
        bool inStatusBar;
    };
    const Edit edits[] = {
        {ui::EditorOutcome::Opened, std::nullopt, false},
        {ui::EditorOutcome::CreatedAndOpened, ui::TextId::ListFileCreated, false},
        {ui::EditorOutcome::NoEditor, ui::TextId::EditorMissing, true},
        {ui::EditorOutcome::Failed, ui::TextId::EditorFailed, true},
    };
    for (const Edit& e : edits) {
        SCOPED_TRACE(static_cast<int>(e.outcome));
        window.editor = e.outcome;
        window.status[1] = u"before";
        const std::uint64_t before = model.events().added();
        ASSERT_TRUE(model.onControl(IDC_ROW7_EDIT));
        EXPECT_EQ(window.edited, exe + storedPath(u"/search.vrl"));
        if (!e.said) {
            EXPECT_EQ(model.events().added(), before);
            continue;
        }
        const std::u16string said = core::format(ui::text(*e.said), {*window.edited});
        EXPECT_EQ(model.events().events().back().text, said);
        EXPECT_EQ(window.status[1], e.inStatusBar ? said : u"before");
    }
}

TEST_F(MainWindowModelTest, TrayEntriesSettingsAndUnknownIds) {
    ASSERT_TRUE(model.onControl(IDM_TRAY_SHOW));
    EXPECT_TRUE(window.fromTray);
    ASSERT_TRUE(model.onControl(IDM_TRAY_EVENTS));
    EXPECT_EQ(window.eventWindows, 1);
    ASSERT_TRUE(model.onControl(IDC_SETTINGS));
    EXPECT_EQ(window.settingsRuns, 1);
    EXPECT_FALSE(model.onControl(1002)) << "no command of this window has id 1002";
    EXPECT_FALSE(model.onControl(IDC_ROW1_PATH));
    EXPECT_FALSE(model.onHotKey(263));
    EXPECT_FALSE(window.closed);
}

// A headset's visit as the user reads it: the tooltip follows the state and not a fault (a wrong
// password), the refusal and the
// disconnection by Ctrl+Shift+Alt+S are listed in order, and マウス ON without a relay says why.
TEST_F(MainWindowModelTest, EventsAndTooltipFollowAHeadset) {
    client::ControlClient headset;
    connectHeadset(&headset);
    ASSERT_TRUE(tickUntil([&] { return window.tooltip == u"TamvikVR Server - 接続中 127.0.0.1"; }))
        << platform::toUtf8(window.tooltip);
    client::Reply reply;
    ASSERT_TRUE(headset.sendTexts({u"#CMD_PASSWORD(<pass>\"wrong\")"}) && headset.receiveReply(&reply, 5000));
    ASSERT_TRUE(tickUntil([&] { return hasEvent(model, u"パスワードが一致しません"); }));
    EXPECT_EQ(window.tooltip, u"TamvikVR Server - 接続中 127.0.0.1") << "a fault is no connection state";
    ASSERT_TRUE(headset.sendTexts({u"#CMD_GET_CHANNEL(<ch>1)"}) && headset.receiveReply(&reply, 5000));
    ASSERT_TRUE(model.onHotKey(ID_HOTKEY_DISCONNECT));
    ASSERT_TRUE(tickUntil([&] { return window.status[0] == u"接続待ち"; }));

    std::vector<std::u16string> texts;
    for (const ui::WindowEvent& event : model.events().events()) texts.push_back(event.text);
    auto at = [&](std::u16string_view start) {
        return std::find_if(texts.begin(), texts.end(),
                            [&](const std::u16string& text) { return text.compare(0, start.size(), start) == 0; }) -
               texts.begin();
    };
    const auto count = static_cast<std::ptrdiff_t>(texts.size());
    ASSERT_LT(at(u"接続中"), count);
    ASSERT_LT(at(u"refused #CMD_GET_CHANNEL"), count);
    ASSERT_LT(at(u"切断(強制切断)"), count);
    EXPECT_LT(at(u"接続中"), at(u"refused #CMD_GET_CHANNEL"));
    EXPECT_LT(at(u"refused #CMD_GET_CHANNEL"), at(u"切断(強制切断)"));
    for (const ui::WindowEvent& event : model.events().events()) {
        if (event.kind != ui::EventKind::Status) continue;
        EXPECT_EQ(event.text.find_first_of(u"abcdefghijklmnopqrstuvwxyz"), std::u16string::npos)
            << "the Japanese window lists its status texts without an English gloss: " << platform::toUtf8(event.text);
    }
    EXPECT_EQ(window.tooltip, u"TamvikVR Server - 接続待ち");
    EXPECT_EQ(window.eventNotices, static_cast<int>(model.events().added()));

    ASSERT_TRUE(model.onHotKey(ID_HOTKEY_MOUSE_ON));
    std::u16string problem = model.controller().mouseProblem();
    EXPECT_EQ(window.status[1], problem.empty() ? ui::text(ui::TextId::MouseRelayIdle) : problem);
}

// A refused video request names its reason in the window's language, from the one table of
// reasons; a served request keeps the console's line.
TEST_F(MainWindowModelTest, ARefusedVideoRequestNamesItsReasonInTheWindowsLanguage) {
    using Kind = http::StreamEvent::Kind;
    const platform::LocalTime time{2026, 12, 9, 20, 0, 0};
    auto shown = [&](http::StreamEvent event) {
        model.showStream(time, event);
        return model.events().events().back().text;
    };
    std::set<std::u16string> texts;
    for (ui::Language language : {ui::Language::Japanese, ui::Language::English}) {
        ui::setTextLanguage(language);
        for (const http::RefusalText& row : http::refusalTexts()) {
            if (row.reason == http::RefusalReason::None) continue;
            const std::u16string_view reason = language == ui::Language::English ? row.english : row.japanese;
            EXPECT_TRUE(texts.insert(std::u16string(reason)).second) << "one text per reason and language";
            http::StreamEvent event{Kind::Request, 1, 0, u"/v/a.mp4", 404};
            event.reason = row.reason;
            EXPECT_EQ(shown(event), core::format(ui::text(ui::TextId::VideoRefused), {reason}) + u" /v/a.mp4");
        }
    }
    EXPECT_FALSE(texts.contains(u"")) << "no reason without words";

    ui::setTextLanguage(ui::Language::Japanese);
    http::StreamEvent strangers{Kind::Request, -1, 0, u"", 404, 0, 0, 3, http::RefusalReason::OtherHost, 0x0A000005};
    EXPECT_EQ(shown(strangers),
              u"動画の要求を断りました（404: ログイン中のヘッドセット以外のホストからの要求です） 10.0.0.5（3 件）");
    ui::setTextLanguage(ui::Language::English);
    http::StreamEvent waited{Kind::LoginWaitOver, -1, 0, u"", 0, 0, 0, 2, http::RefusalReason::NobodyLoggedIn};
    EXPECT_EQ(shown(waited), u"video: 404 (no headset logged in while it waited) (2 connections)");
    ui::setTextLanguage(ui::Language::Japanese);
    EXPECT_EQ(shown({Kind::Request, 0, 0, u"/v/a.mp4", 200}), u"video slot 0: 200 from byte 0 /v/a.mp4");
}

// A listing that leaves files out for their extension says so in the event list, in the
// window's language.
TEST_F(MainWindowModelTest, FilesLeftOutForTheirExtensionAreToldInTheWindowsLanguage) {
    for (const char* name : {"a.mkv", "b.mkv", "c.avi", "d.mp4"}) folder.write(std::string("videos/") + name, "");
    client::ControlClient headset;
    connectHeadset(&headset);
    std::u16string args[4] = {u"1", u"0", storedPath(folder.file16("videos")), u""};
    client::Reply reply;
    ASSERT_TRUE(headset.sendCommand(u"CM_SET_CHANNEL_TYPE", args) && headset.receiveReply(&reply, 5000));
    ASSERT_TRUE(reply.ok);
    struct LanguageScope {
        ~LanguageScope() { ui::setTextLanguage(ui::Language::Japanese); }
    } scope;
    const std::pair<ui::Language, std::u16string_view> cases[] = {
        {ui::Language::Japanese,
         u"チャンネル2: 動画 1 本を表示、ファイル 3 個を除外しました"
         u"（拡張子が [File] pcExt (mp4) にありません）: mkv 2, avi 1 — 再生する拡張子は pcExt に追加してください"},
        {ui::Language::English,
         u"channel 2: 1 video listed; 3 files left out whose extensions are not in [File] pcExt (mp4): mkv 2, avi "
         u"1 — "
         u"add them to pcExt"},
    };
    for (const auto& [language, text] : cases) {
        ui::setTextLanguage(language);
        ASSERT_TRUE(headset.sendTexts({u"#CMD_GET_CHANNEL(<ch>1)"}) && headset.receiveReply(&reply, 5000));
        EXPECT_TRUE(tickUntil([&] { return hasEvent(model, text); })) << platform::toUtf8(text);
    }
}

TEST(MainWindowModelStart, ASecondCopyOnBusyPortsKeepsEveryProblem) {
    TempFolder first;
    DataFolderScope dataFolder(storedPath(first.path16()));
    FakeWindow running;
    ui::MainWindowModel owner(first.file16("TamvikVRServer.ini"), running, storedPath(first.path16()),
                              ui::ControllerOptions{nullptr, true, kLoopback});
    ASSERT_TRUE(owner.loadSettings());
    owner.start();
    const int controlPort = owner.controller().controlState().port;
    const int httpPort = owner.controller().videoState().port;

    TempFolder second;
    dataFolder.set(storedPath(second.path16()));
    const std::u16string ini = second.file16("TamvikVRServer.ini");
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iPortServer", core::format(u"%d", {controlPort})));
    ASSERT_TRUE(platform::iniWriteString(ini, u"Config", u"iPortHttp", core::format(u"%d", {httpPort})));
    ASSERT_TRUE(platform::iniWriteString(ini, u"Setup", u"iSeek1FF", u"ten"));
    FakeWindow window;
    ui::MainWindowModel copy(ini, window, storedPath(second.path16()),
                             ui::ControllerOptions{nullptr, false, kLoopback});
    ASSERT_TRUE(copy.loadSettings());
    copy.start();
    copy.hotKeyTaken(u"Ctrl+Shift+Alt+S");

    std::vector<std::u16string> wanted = {
        u"[Setup] iSeek1FF=ten",
        core::format(u"[Config] iPortHttp=%d cannot be used", {httpPort}),
        core::format(u"[Config] iPortServer=%d cannot be used", {controlPort}),
    };
    if (!copy.controller().mediaProblem().empty()) {
        wanted.push_back(copy.controller().mediaProblem());
        EXPECT_EQ(window.alerts, std::vector<std::u16string>{copy.controller().mediaProblem()});
    }
    wanted.push_back(core::format(ui::text(ui::TextId::HotKeyTaken), {u"Ctrl+Shift+Alt+S"}));
    const std::vector<std::u16string>& problems = copy.problems();
    ASSERT_GE(problems.size(), wanted.size());
    // The mouse relay's problem, where this machine has one, comes first: it is found as the
    // services are made.
    std::size_t offset = problems.size() - wanted.size();
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        EXPECT_EQ(problems[offset + i].rfind(wanted[i], 0), 0u) << platform::toUtf8(problems[offset + i]);
        EXPECT_TRUE(hasEvent(copy, wanted[i]));
    }
    EXPECT_EQ(window.status[1].rfind(core::format(u"[Config] iPortServer=%d cannot be used", {controlPort}), 0), 0u)
        << "the busy port is said before the hot key: " << platform::toUtf8(window.status[1]);
}

// A data folder gone between the load and the start: the start says the folder cannot be
// written, and a close that could not save gives the text of the box shown before the end.
TEST_F(MainWindowModelTest, AFolderThatCannotBeWrittenIsSaidAtStartAndAtTheClose) {
    folder.makeFolder("gone");
    const std::u16string ini = folder.file16("gone/TamvikVRServer.ini");
    FakeWindow window;
    ui::MainWindowModel gone(ini, window, exe, ui::ControllerOptions{nullptr, true, kLoopback});
    ASSERT_TRUE(gone.loadSettings());
    ASSERT_TRUE(platform::removeFile(ini));
    ASSERT_TRUE(platform::removeFolder(folder.file16("gone")));
    gone.start();
    const std::u16string folderProblem = u"the data folder " + platform::displayPath(folder.file16("gone")) +
                                         u" cannot be written: its folder is not there";
    EXPECT_TRUE(std::any_of(gone.problems().begin(), gone.problems().end(),
                            [&](const std::u16string& problem) { return problem.starts_with(folderProblem); }));
    EXPECT_TRUE(hasEvent(gone, folderProblem));

    window.shown[1] = {u"PCフォルダ", exe};
    ASSERT_TRUE(gone.onControl(IDC_QUIT));
    gone.close(std::nullopt);
    EXPECT_EQ(gone.unsavedText(),
              u"the settings file " + platform::displayPath(ini) + u" cannot be written: its folder is not there");
    model.close(std::nullopt);
    EXPECT_TRUE(model.unsavedText().empty()) << "a close that saved everything has nothing to say";
}

TEST(EventList, KeepsTheLastThousandInOrder) {
    ui::EventList list;
    for (int i = 0; i < 1005; ++i) list.add({{}, ui::EventKind::Server, core::format(u"%d", {i})});
    ASSERT_EQ(list.events().size(), ui::EventList::kCapacity);
    EXPECT_EQ(list.events().front().text, u"5");
    EXPECT_EQ(list.events().back().text, u"1004");
    EXPECT_EQ(list.added(), 1005u);
    EXPECT_EQ(ui::eventLine({{2026, 12, 8, 9, 5, 3}, ui::EventKind::Status, u"接続中 192.168.1.5"}),
              u"2026-12-08 09:05:03  接続中 192.168.1.5");
}

}  // namespace
}  // namespace tvr::test
