// SPDX-License-Identifier: MIT
#include "platform/stop_signal.h"

#include <gtest/gtest.h>

#include <csignal>

namespace tvr::platform {
namespace {

// One test only: the stop flag stays set for the rest of the process once raised.
TEST(StopSignal, SigtermSetsTheFlagAndEndsTheWait) {
    installStopSignalHandler();
    EXPECT_FALSE(waitForStopSignal(0));
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_TRUE(waitForStopSignal(60000));
    EXPECT_TRUE(waitForStopSignal(0));
}

}  // namespace
}  // namespace tvr::platform
