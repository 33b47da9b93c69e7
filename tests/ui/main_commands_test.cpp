// SPDX-License-Identifier: MIT
// The main window's commands through a fake view and a real controller with its services on
// loopback: buttons, combo boxes, the tray menu and the hot keys.
#include "ui/main_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "client/control_client.h"
#include "core/paths.h"
#include "platform/ini_file.h"
#include "support/data_folder_scope.h"
#include "support/stored_path.h"
#include "support/temp_folder.h"

namespace tvr::test {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;

struct NullStatusView final : ui::StatusView {
    std::vector<std::int32_t> codes;
    void showStatus(const platform::LocalTime&, std::int32_t code, std::u16string_view, std::u16string_view) override {
        codes.push_back(code);
    }
    void showProblem(std::u16string_view) override {}
};

// The window as the commands see it, with what the user would pick in the choosers.
struct FakeWindow final : ui::MainWindowView {
    ui::ChannelRows shown;
    std::array<ui::RowEnabling, core::kChannelCount> enabled{};
    std::optional<std::u16string> pickFile, pickFolder;
    std::optional<ui::ListFileStart> fileChooserStart;
    std::optional<std::u16string> folderChooserStart, edited, notice;
    bool settingsOk = false, fromTray = false, closed = false;
    int settingsRuns = 0;

    ui::ChannelRows rows() override { return shown; }
    void showRows(const ui::ChannelRows& rows) override { shown = rows; }
    void enableRow(int row, const ui::RowEnabling& enabling) override {
        enabled[static_cast<std::size_t>(row)] = enabling;
    }
    void setRowPath(int row, std::u16string_view path) override { shown[static_cast<std::size_t>(row)].path = path; }
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
    void openInEditor(std::u16string_view path) override { edited = std::u16string(path); }
    void showFromTray() override { fromTray = true; }
    void closeWindow() override { closed = true; }
    void showNotice(std::u16string_view text) override { notice = std::u16string(text); }
};

class MainCommandsTest : public ::testing::Test {
protected:
    test::DataFolderScope dataFolder_;  // first made, last gone
    void SetUp() override {
        dataFolder_.set(exe);
        ASSERT_TRUE(controller.start());
        commands.fillRows();
    }
    std::u16string iniValue(std::u16string_view section, std::u16string_view key) {
        controller.flushSettings();
        return platform::iniReadString(controller.settings().path(), section, key, u"?");
    }

    TempFolder folder;
    std::u16string exe = storedPath(folder.path16());
    NullStatusView status;
    ui::Controller controller{folder.file16("TamvikVRServer.ini"), status,
                              ui::ControllerOptions{nullptr, true, kLoopback}};
    FakeWindow window;
    ui::MainCommands commands{controller, window, exe};
};

TEST_F(MainCommandsTest, RowsShowTheChannelsAndAComboChangeEnablesByTheNewType) {
    EXPECT_EQ(window.shown[2].path, u"ch3.vrl");
    EXPECT_EQ(window.enabled[0], (ui::RowEnabling{false, false, false}));
    EXPECT_EQ(window.enabled[1], (ui::RowEnabling{true, true, false}));
    EXPECT_EQ(window.enabled[7], (ui::RowEnabling{true, true, true}));

    window.shown[2].typeName = u"PCフォルダ";
    EXPECT_TRUE(commands.onCommand(IDC_ROW3_TYPE, 5)) << "other combo notifications are ours but change nothing";
    EXPECT_EQ(window.enabled[2], (ui::RowEnabling{true, true, true}));
    EXPECT_TRUE(commands.onCommand(IDC_ROW3_TYPE, ui::kNotifySelectionChanged));
    EXPECT_EQ(window.enabled[2], (ui::RowEnabling{true, true, false}));
}

TEST_F(MainCommandsTest, ApplyAndTheTrayQuitSaveTheRowsAndOnlyQuitCloses) {
    window.shown[1] = {u"プレイリスト", u"mine.vrl"};
    ASSERT_TRUE(commands.onCommand(IDC_APPLY));
    EXPECT_EQ(controller.settings().config().channels[1], (core::ChannelConfig{core::kChannelPlaylist, u"mine.vrl"}));
    EXPECT_EQ(iniValue(u"ch.1", u"iType"), u"4");
    EXPECT_FALSE(window.closed);

    window.shown[6].path = u"found.vrl";
    ASSERT_TRUE(commands.onCommand(IDM_TRAY_QUIT)) << "the tray's 終了(&Q) quits as 終了 does";
    EXPECT_EQ(iniValue(u"ch.6", u"pcPath"), u"found.vrl");
    EXPECT_TRUE(window.closed);
}

TEST_F(MainCommandsTest, RefreshShowsTheChannelsAgainAndTrayShowRestoresTheWindow) {
    window.shown[3].path = u"typed but not applied";
    controller.settings().config().channels[4].path = u"from the headset.vrl";
    ASSERT_TRUE(commands.onCommand(IDC_REFRESH));
    EXPECT_EQ(window.shown[3].path, u"ch4.vrl");
    EXPECT_EQ(iniValue(u"ch.4", u"pcPath"), u"from the headset.vrl");

    ASSERT_TRUE(commands.onCommand(IDM_TRAY_SHOW));
    EXPECT_TRUE(window.fromTray);
    EXPECT_FALSE(window.closed);
}

TEST_F(MainCommandsTest, FolderButtonChoosesByTheRowsType) {
    window.pickFile = exe + storedPath(u"/favs.vrl");
    ASSERT_TRUE(commands.onCommand(IDC_ROW8_FOLDER));
    EXPECT_EQ(window.fileChooserStart->folder, exe);
    EXPECT_EQ(window.fileChooserStart->fileName, u"favorite.vrl");
    EXPECT_EQ(window.shown[7].path, u"favs.vrl") << "a list beside the program is kept by its bare name";

    window.pickFolder = storedPath(folder.file16("videos"));
    ASSERT_TRUE(commands.onCommand(IDC_ROW2_FOLDER));
    EXPECT_EQ(window.folderChooserStart, exe) << "an empty PC folder row starts in the program's folder";
    EXPECT_EQ(window.shown[1].path, *window.pickFolder);

    window.folderChooserStart.reset();
    window.fileChooserStart.reset();
    ASSERT_TRUE(commands.onCommand(IDC_ROW1_FOLDER));
    EXPECT_FALSE(window.folderChooserStart || window.fileChooserStart) << "a VR device row has nothing to choose";

    window.pickFile.reset();
    ASSERT_TRUE(commands.onCommand(IDC_ROW3_FOLDER));
    EXPECT_EQ(window.shown[2].path, u"ch3.vrl") << "a cancelled chooser keeps the row";

    ASSERT_TRUE(commands.onCommand(IDC_ROW7_EDIT));
    EXPECT_EQ(window.edited, exe + storedPath(u"/search.vrl"));
}

TEST_F(MainCommandsTest, HotKeysSendTheirButtonsCommands) {
    EXPECT_EQ(ui::hotKeyCommand(ID_HOTKEY_DISCONNECT), IDC_DISCONNECT);
    EXPECT_EQ(ui::hotKeyCommand(ID_HOTKEY_MOUSE_ON), IDC_MOUSE_ON);
    EXPECT_EQ(ui::hotKeyCommand(ID_HOTKEY_MOUSE_OFF), IDC_MOUSE_OFF);
    EXPECT_FALSE(commands.onHotKey(263));

    client::ControlClient headset;
    client::Reply reply;
    ASSERT_TRUE(headset.connect("127.0.0.1", controller.controlServer()->port(), 2000));
    ASSERT_TRUE(headset.sendTexts({client::ControlClient::setupMessage()}) && headset.receiveReply(&reply, 5000));
    ASSERT_TRUE(commands.onHotKey(ID_HOTKEY_DISCONNECT));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::find(status.codes.begin(), status.codes.end(), 3) == status.codes.end() &&
           std::chrono::steady_clock::now() < deadline) {
        controller.tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_NE(std::find(status.codes.begin(), status.codes.end(), 3), status.codes.end())
        << "Ctrl+Shift+Alt+S drops the headset";

    ASSERT_TRUE(commands.onHotKey(ID_HOTKEY_MOUSE_ON));
    std::u16string problem = controller.mouseProblem();
    if (problem.empty()) {
        EXPECT_FALSE(window.notice.has_value());
    } else {
        EXPECT_EQ(window.notice, problem) << "where the relay cannot run, the mouse keys say why";
    }
}

TEST_F(MainCommandsTest, SettingsButtonRunsTheDialogAndUnknownIdsAreNotOurs) {
    ASSERT_TRUE(commands.onCommand(IDC_SETTINGS));
    EXPECT_EQ(window.settingsRuns, 1);
    EXPECT_FALSE(commands.onCommand(1002)) << "no command of this window has id 1002";
    EXPECT_FALSE(commands.onCommand(IDC_ROW1_PATH));
}

}  // namespace
}  // namespace tvr::test
