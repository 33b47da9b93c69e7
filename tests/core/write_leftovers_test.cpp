// SPDX-License-Identifier: MIT
#include "core/write_leftovers.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::core {
namespace {

TEST(WriteLeftoversTest, RemovesTemporariesBesideSettingsListsAndStores) {
    test::TempFolder exe;
    test::TempFolder lists;
    test::DataFolderScope dataFolder(exe.path16());

    Config config = defaultConfig();
    config.channels[6] = {kChannelFavoriteList, platform::fromUtf8(lists.file("favorite.vrl"))};
    config.trimPath = u"trim";
    exe.write(".TamvikVRServer.ini.tmp-Ab12Cd", "torn");
    lists.write(".favorite.vrl.tmp-Zz99Yy", "torn");
    exe.write("trim/.clip.ini.tmp-q1w2e3", "torn");
    exe.write("VRFormat/.VRFormat.txt.tmp-000000", "torn");
    exe.write("TamvikVRServer.ini", "kept");
    lists.write("favorite.vrl", "kept");

    EXPECT_EQ(removeWriteLeftovers(u"TamvikVRServer.ini", config), 4);
    EXPECT_FALSE(std::filesystem::exists(exe.file(".TamvikVRServer.ini.tmp-Ab12Cd")));
    EXPECT_FALSE(std::filesystem::exists(lists.file(".favorite.vrl.tmp-Zz99Yy")));
    EXPECT_FALSE(std::filesystem::exists(exe.file("trim/.clip.ini.tmp-q1w2e3")));
    EXPECT_FALSE(std::filesystem::exists(exe.file("VRFormat/.VRFormat.txt.tmp-000000")));
    EXPECT_EQ(exe.read("TamvikVRServer.ini"), "kept");
    EXPECT_EQ(lists.read("favorite.vrl"), "kept");
}

}  // namespace
}  // namespace tvr::core
