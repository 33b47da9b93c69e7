// SPDX-License-Identifier: MIT
#include "core/data_folder.h"

#include <gtest/gtest.h>

#include "core/data_folder_setup.h"
#include "core/settings.h"
#include "platform/fs.h"
#include "platform/system_paths.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::core {
namespace {

struct Case {
    std::u16string executable;
    std::u16string userConfig;
    std::u16string expected;
};

void expectFolders(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(defaultDataFolder(c.executable, c.userConfig), c.expected) << platform::toUtf8(c.executable);
    }
}

TEST(DataFolder, InstalledProgramsUseTheUserFolderOthersTheirOwn) {
    if (platform::backslashIsSeparator()) {
        // Installed: the installer's marker beside the program; an unpacked zip has none.
        test::TempFolder installed;
        test::TempFolder unpacked;
        installed.write(platform::toUtf8(platform::kInstalledMarkerFileName), "installed");
        unpacked.write("TamvikVRServer.exe", "");
        const std::u16string appData = u"C:\\Users\\me\\AppData\\Roaming";
        expectFolders({
            {installed.path16() + u"\\TamvikVRServer.exe", appData, appData + u"\\TamvikVR"},
            {unpacked.path16() + u"\\TamvikVRServer.exe", appData, unpacked.path16()},
            {installed.path16() + u"\\TamvikVRServer.exe", u"", installed.path16()},
        });
        return;
    }
    expectFolders({
        // Installed by the package, by an install to /usr/local, or unpacked into another root.
        {u"/usr/bin/tamvikvr-server", u"/home/me/.config", u"/home/me/.config/tamvikvr"},
        {u"/usr/local/bin/tamvikvr-server", u"/home/me/.config", u"/home/me/.config/tamvikvr"},
        {u"/tmp/root/usr/bin/tamvikvr-server", u"/srv/config/", u"/srv/config/tamvikvr"},
        // Build trees and copied folders keep their files beside the program.
        {u"/home/me/src/tamvikvr/build/tamvikvr-server", u"/home/me/.config", u"/home/me/src/tamvikvr/build"},
        {u"/home/me/usr/binaries/tamvikvr-server", u"/home/me/.config", u"/home/me/usr/binaries"},
        {u"/home/me/my-usr/bin/tamvikvr-server", u"/home/me/.config", u"/home/me/my-usr/bin"},
        {u"/usr/bin/tools/tamvikvr-server", u"/home/me/.config", u"/usr/bin/tools"},
        // No per-user folder (no home): beside the program wherever it is.
        {u"/usr/bin/tamvikvr-server", u"", u"/usr/bin"},
    });
}

TEST(DataFolder, AnEarlierInstallsSettingsAreCopiedOnceIntoANewDataFolder) {
    test::TempFolder program;
    test::TempFolder user;
    const std::string settings = platform::toUtf8(kSettingsFileName);
    program.write(settings, "earlier settings");
    const std::u16string data = user.file16("config/TamvikVR");
    ASSERT_TRUE(prepareDataFolder(data, program.path16()));
    EXPECT_EQ(user.read("config/TamvikVR/" + settings), "earlier settings");
    // Once: the user's own settings are never overwritten by the old file.
    user.write("config/TamvikVR/" + settings, "changed since");
    ASSERT_TRUE(prepareDataFolder(data, program.path16()));
    EXPECT_EQ(user.read("config/TamvikVR/" + settings), "changed since");
    EXPECT_EQ(program.read(settings), "earlier settings");
    // The program's own folder as data folder: nothing to copy, nothing made.
    ASSERT_TRUE(prepareDataFolder(program.path16(), program.path16()));
    user.write("blocker", "a file where the folder should be");
    EXPECT_FALSE(prepareDataFolder(user.file16("blocker/TamvikVR"), program.path16()));
}

}  // namespace
}  // namespace tvr::core
