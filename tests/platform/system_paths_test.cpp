// SPDX-License-Identifier: MIT
#include "platform/system_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fs.h"

namespace tvr::platform {
namespace {

TEST(SystemPaths, ExecutablePathNamesThisTestProgram) {
    std::u16string path = executablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(pathKind(path), PathKind::File);
    EXPECT_NE(path.find(u"tests_platform"), std::u16string::npos);
}

}  // namespace
}  // namespace tvr::platform
