// SPDX-License-Identifier: MIT
#include "core/data_folder.h"

#include <gtest/gtest.h>

#include "platform/utf.h"

namespace tvr::core {
namespace {

TEST(DataFolder, InstalledProgramsUseTheUserFolderOthersTheirOwn) {
    struct Case {
        std::u16string_view executable;
        std::u16string_view userConfig;
        std::u16string_view expected;
    };
    const Case cases[] = {
        // Installed by the package, by an install to /usr/local, or unpacked into another root.
        {u"/usr/bin/tamvikvr-server", u"/home/me/.config", u"/home/me/.config/tamvikvr"},
        {u"/usr/local/bin/tamvikvr-server", u"/home/me/.config", u"/home/me/.config/tamvikvr"},
        {u"/tmp/root/usr/bin/tamvikvr-server", u"/srv/config/", u"/srv/config/tamvikvr"},
        // Build trees and copied folders keep their files beside the program.
        {u"/home/me/src/tamvikvr/build/tamvikvr-server", u"/home/me/.config", u"/home/me/src/tamvikvr/build"},
        {u"/home/me/usr/binaries/tamvikvr-server", u"/home/me/.config", u"/home/me/usr/binaries"},
        {u"/home/me/my-usr/bin/tamvikvr-server", u"/home/me/.config", u"/home/me/my-usr/bin"},
        {u"/usr/bin/tools/tamvikvr-server", u"/home/me/.config", u"/usr/bin/tools"},
        // No per-user folder (Windows, or no home): beside the program wherever it is.
        {u"/usr/bin/tamvikvr-server", u"", u"/usr/bin"},
        {u"C:\\Program Files\\TamvikVR\\tamvikvr-server.exe", u"", u"C:\\Program Files\\TamvikVR"},
        {u"C:\\msys64\\usr\\bin\\tamvikvr-server.exe", u"", u"C:\\msys64\\usr\\bin"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(defaultDataFolder(c.executable, c.userConfig), c.expected) << platform::toUtf8(c.executable);
    }
}

}  // namespace
}  // namespace tvr::core
