// SPDX-License-Identifier: MIT
// The Linux sources of system paths: /proc/self/exe and the XDG user folders from the environment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/system_paths.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

// Sets or clears an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_)
            setenv(name_, previous_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(SystemPathsPosix, ExecutablePathIsAbsolute) {
    std::u16string path = executablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), u'/');
}

TEST(SystemPaths, VideosFolderFromUserDirsWithHomeExpanded) {
    test::TempFolder temp;
    temp.write("config/user-dirs.dirs",
               "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
               "XDG_VIDEOS_DIR=\"$HOME/\xE3\x83\x93\xE3\x83\x87\xE3\x82\xAA\"\n");
    ScopedEnv home("HOME", "/home/viewer");
    ScopedEnv config("XDG_CONFIG_HOME", temp.file("config").c_str());
    EXPECT_EQ(userVideosFolder(), u"/home/viewer/\u30D3\u30C7\u30AA");
}

TEST(SystemPaths, VideosFolderAbsoluteEntryInDefaultConfigFolder) {
    test::TempFolder temp;
    temp.write(".config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"/srv/media/films/\"\n");
    ScopedEnv home("HOME", temp.path().c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(userVideosFolder(), u"/srv/media/films");
}

TEST(SystemPaths, VideosFolderFallsBackToHomeVideos) {
    test::TempFolder temp;
    ScopedEnv home("HOME", temp.path().c_str());
    ScopedEnv config("XDG_CONFIG_HOME", temp.file("nothing-here").c_str());
    EXPECT_EQ(userVideosFolder(), temp.path16() + u"/Videos");
}

TEST(SystemPaths, UserConfigFolderFollowsTheXdgRules) {
    ScopedEnv home("HOME", "/home/viewer");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/srv/config");
        EXPECT_EQ(userConfigFolder(), u"/srv/config");
    }
    for (const char* ignored : {"relative/config", "", static_cast<const char*>(nullptr)}) {
        ScopedEnv config("XDG_CONFIG_HOME", ignored);
        EXPECT_EQ(userConfigFolder(), u"/home/viewer/.config") << (ignored != nullptr ? ignored : "(unset)");
    }
}

}  // namespace
}  // namespace tvr::platform
