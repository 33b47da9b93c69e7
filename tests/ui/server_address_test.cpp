// SPDX-License-Identifier: MIT
// The address shown for the headset: the host name's, unless that is a loopback address.
#include "ui/server_address.h"

#include <gtest/gtest.h>

#include <vector>

namespace tvr::test {
namespace {

TEST(ServerAddressTest, HostAddressUnlessItIsLoopback) {
    const std::vector<std::uint32_t> lan = {0xC0A8010A, 0x0A000005};  // 192.168.1.10, 10.0.0.5
    EXPECT_EQ(ui::serverAddressText(0xC0A80114, lan), u"192.168.1.20");
    EXPECT_EQ(ui::serverAddressText(0x7F000101, lan), u"192.168.1.10") << "127.0.1.1 reaches no headset";
    EXPECT_EQ(ui::serverAddressText(std::nullopt, lan), u"192.168.1.10");
    EXPECT_EQ(ui::serverAddressText(0x7F000101, {}), u"127.0.1.1") << "with no interface up, loopback is all there is";
    EXPECT_EQ(ui::serverAddressText(std::nullopt, {}), u"");
}

}  // namespace
}  // namespace tvr::test
