// SPDX-License-Identifier: MIT
// The settings dialog's fields: filled from the settings, read back on OK, bad ports refused.
#include "ui/settings_form.h"

#include <gtest/gtest.h>

#include "ui/dialog_ids.h"

namespace tvr::test {
namespace {

ui::FieldValue& field(ui::SettingsFormValues& values, int id) {
    return values[static_cast<std::size_t>(ui::settingsFieldIndex(id))];
}

TEST(SettingsFormTest, OkWithoutChangesKeepsEverySetting) {
    core::Config config = core::defaultConfig();
    config.usePassword = 1;
    config.password = u"0420";
    config.seekBackward = -7;
    config.rates[5] = 400;
    ui::SettingsFormValues values = ui::settingsFormFrom(config);
    EXPECT_TRUE(field(values, IDC_USE_PASSWORD).checked);
    EXPECT_EQ(field(values, IDC_SEEK_BACKWARD).text, u"-7");
    EXPECT_EQ(field(values, IDC_RATE5).text, u"400");
    EXPECT_EQ(field(values, IDC_WORD_LIST).text, u"WordList.txt");

    core::Config read = config;
    EXPECT_EQ(ui::readSettingsForm(values, &read), std::nullopt);
    EXPECT_EQ(read, config);
}

TEST(SettingsFormTest, FieldsAreReadAsTheUserLeftThem) {
    core::Config config = core::defaultConfig();
    config.useMouse = 2;  // only 1 checks the box, so OK stores 0
    ui::SettingsFormValues values = ui::settingsFormFrom(config);
    EXPECT_FALSE(field(values, IDC_USE_MOUSE).checked);
    field(values, IDC_SEEK_BACKWARD).text = u"abc";
    field(values, IDC_LIVE_TIMEOUT).text = u"";
    field(values, IDC_SIZE2).text = u"150";
    field(values, IDC_EXTENSIONS).text = u"mp4 mkv";
    field(values, IDC_SERVER_LOG).checked = true;
    field(values, IDC_PORT_MOUSE).text = u"65535";

    ASSERT_EQ(ui::readSettingsForm(values, &config), std::nullopt);
    EXPECT_EQ(config.useMouse, 0);
    EXPECT_EQ(config.seekBackward, 0) << "letters give 0";
    EXPECT_EQ(config.liveTimeoutSec, 0) << "an empty field gives 0";
    EXPECT_EQ(config.sizes[2], 150);
    EXPECT_EQ(config.extensions, u"mp4 mkv");
    EXPECT_EQ(config.serverLog, 1);
    EXPECT_EQ(config.portMouse, 65535);
}

TEST(SettingsFormTest, PortOutsideOneTo65535IsRefusedNamingTheFieldAndNothingIsRead) {
    struct Case {
        int id;
        std::u16string text;
        std::u16string_view label;
    };
    const Case cases[] = {
        {IDC_PORT_SERVER, u"0", u"ポート番号"},
        {IDC_PORT_HTTP, u"65536", u"ポート番号 (動画用)"},
        {IDC_PORT_MOUSE, u"", u"ポート番号 (マウス)"},
        {IDC_PORT_SERVER, u"port", u"ポート番号"},
        {IDC_PORT_HTTP, u"-11921", u"ポート番号 (動画用)"},
    };
    for (const Case& c : cases) {
        core::Config config = core::defaultConfig();
        ui::SettingsFormValues values = ui::settingsFormFrom(config);
        field(values, IDC_EXTENSIONS).text = u"avi";
        field(values, c.id).text = c.text;
        std::optional<std::u16string> refusal = ui::readSettingsForm(values, &config);
        ASSERT_TRUE(refusal.has_value()) << c.id;
        EXPECT_NE(refusal->find(std::u16string(u"「") + std::u16string(c.label) + u"」"), std::u16string::npos);
        EXPECT_EQ(config, core::defaultConfig()) << "a refused form changes nothing";
    }
}

TEST(SettingsFormTest, ButtonsRouteToTheirEdits) {
    EXPECT_EQ(ui::routeSettingsCommand(IDC_OK).action, ui::SettingsAction::Accept);
    EXPECT_EQ(ui::routeSettingsCommand(IDC_CANCEL).action, ui::SettingsAction::Cancel);
    EXPECT_EQ(ui::routeSettingsCommand(IDC_DIALOG_CLOSE).action, ui::SettingsAction::Cancel);
    EXPECT_EQ(ui::routeSettingsCommand(IDC_VRFORMAT_FOLDER),
              (ui::SettingsCommand{ui::SettingsAction::ChooseFolder, IDC_VRFORMAT_PATH}));
    EXPECT_EQ(ui::routeSettingsCommand(IDC_FOLDER_LIST_EDIT),
              (ui::SettingsCommand{ui::SettingsAction::OpenInNotepad, IDC_FOLDER_LIST}));
    EXPECT_EQ(ui::routeSettingsCommand(IDC_PORT_HTTP).action, ui::SettingsAction::None);
}

}  // namespace
}  // namespace tvr::test
