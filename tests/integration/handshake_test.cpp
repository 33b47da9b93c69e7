// SPDX-License-Identifier: MIT
// The handshake and password exchange against a real control server on loopback.
#include "core/text.h"
#include "integration/control_fixture.h"
#include "protocol/constants.h"

namespace tvr::test {
namespace {

using client::ControlClient;

TEST_F(ControlServerTest, SetupAnswersEverythingInOnePacketInOrder) {
    folder.write("ch3.vrl", "\xEF\xBB\xBF#name \"My Trips\"\r\nC:\\v\\a.mp4\r\n");
    folder.write("VRFormat.txt",
                 "#start\n"
                 "tag=\"abc\" layout=\"L1\" screen=\"S1\"\n"
                 "tag_sp=\"x\" type=\"T\" param=\"P\" ; note\n"
                 "#end\n");
    startAndConnect();
    client::Reply reply = handshake();
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.packets, 1u);
    std::vector<std::u16string> expected = {
        u"#RET_VERSION(<protocol_ver>130,<app_ver>\"1.32a\",<copyright>\"Copyright(C) TamvikVR Server, All Rights "
        u"Reserved\")",
        u"#RET_CH_NAME(<type.0>1,<name.0>\"VRデバイス\",<type.1>0,<name.1>\"PCフォルダ\",<type.2>4,<name.2>\"My "
        u"Trips\",<type.3>4,<name.3>\"***\",<type.4>4,<name.4>\"***\",<type.5>4,<name.5>\"***\",<type.6>2,<name.6>"
        u"\"検索\",<type.7>3,<name.7>\"お気に入り\")",
        u"#RET_SEEK_TIME(<ff>10,<rw>-3)",
        u"#RET_USE_MOUSE(<on>0,<scale>100,<port>11923)",
        u"#RET_USE_HTTP(<port>11921)",
        u"#RET_VR_FORMAT(<no>0,<sp>0,<key>\"abc\",<layout>\"L1\",<screen>\"S1\")",
        u"#RET_VR_FORMAT(<no>1,<sp>1,<key>\"x\",<layout>\"T\",<screen>\"P\")",
        u"#RET_OK()",
    };
    EXPECT_EQ(reply.texts(), expected);
    EXPECT_TRUE(server->isClientAuthenticated());
}

TEST_F(ControlServerTest, OldOrMissingVersionIsRefused) {
    startAndConnect();
    client::Reply reply = request({ControlClient::setupMessage(129, protocol::kClientCopyright)});
    EXPECT_EQ(reply.final,
              u"#RET_ERR(<code>529,<message>\"クライアント側（アプリケーション）の通信バージョンが古い(129)\")");
    reply = request({u"#CMD_SETUP(<copyright>\"Copyright(C) TamvikVR Client\")"});
    EXPECT_EQ(reply.final,
              u"#RET_ERR(<code>529,<message>\"クライアント側（アプリケーション）の通信バージョンが古い(0)\")");
    EXPECT_FALSE(server->isClientAuthenticated());
}

TEST_F(ControlServerTest, WrongOrMissingCopyrightIsRefused) {
    startAndConnect();
    client::Reply reply = request({ControlClient::setupMessage(130, u"Copyright(C) TamvikVR Clien")});
    EXPECT_EQ(reply.final,
              u"#RET_ERR(<code>530,<message>\"クライアント側（アプリケーション）のコピーライトが合わない\")");
    reply = request({u"#CMD_SETUP(<protocol_ver>130)"});
    EXPECT_EQ(reply.final,
              u"#RET_ERR(<code>530,<message>\"クライアント側（アプリケーション）のコピーライトが合わない\")");
    EXPECT_EQ(reply.texts().size(), 1u);
}

TEST_F(ControlServerTest, PasswordLockoutLastsThirtySeconds) {
    config.usePassword = 1;
    config.password = u"1234";
    startAndConnect();
    client::Reply setup = handshake();
    ASSERT_TRUE(setup.ok);
    auto texts = setup.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), u"#RET_REQUEST_PASSWORD()"), texts.end());
    EXPECT_FALSE(request({u"#CMD_GET_CHANNEL(<ch>1)"}).ok);

    EXPECT_EQ(request({u"#CMD_PASSWORD(<pass>\"9999\")"}).final,
              u"#RET_ERR(<code>545,<message>\"パスワードが一致しません\")");
    clock.advance(29999);
    EXPECT_EQ(request({u"#CMD_PASSWORD(<pass>\"1234\")"}).final, u"#RET_ERR(<code>546,<message>\"パスワードタイム\")");
    clock.advance(1);
    EXPECT_TRUE(request({u"#CMD_PASSWORD(<pass>\"1234\")"}).ok);
    EXPECT_TRUE(server->isClientAuthenticated());

    // Once authenticated, a repeated setup asks for no password.
    texts = handshake().texts();
    EXPECT_EQ(std::find(texts.begin(), texts.end(), u"#RET_REQUEST_PASSWORD()"), texts.end());
}

TEST_F(ControlServerTest, MissingPasswordKeyStartsLockoutAndReconnectDoesNotEndIt) {
    config.usePassword = 1;
    config.password = u"1";
    startAndConnect();
    EXPECT_EQ(request({u"#CMD_PASSWORD()"}).final, u"#RET_ERR(<code>544,<message>\"パスワードが見つからない\")");
    client.close();
    ASSERT_TRUE(client.connect("127.0.0.1", server->port(), 2000));
    EXPECT_EQ(request({u"#CMD_PASSWORD(<pass>\"1\")"}).final, u"#RET_ERR(<code>546,<message>\"パスワードタイム\")");
}

TEST_F(ControlServerTest, EmptyPasswordMatchesWhenPasswordsAreOff) {
    startAndConnect();
    EXPECT_TRUE(request({u"#CMD_PASSWORD(<pass>\"\")"}).ok);
    EXPECT_TRUE(server->isClientAuthenticated());
}

TEST_F(ControlServerTest, GatedRequestsBeforeAuthenticationGetTheSlotsError) {
    config.usePassword = 1;
    startAndConnect();
    client::Reply reply = request({u"#CMD_GET_CHANNEL(<ch>1)"});
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.texts().size(), 1u);
    std::u16string args[4];
    ASSERT_TRUE(client.sendCommand(u"CM_GET_CHANNEL_TYPE", args));
    ASSERT_TRUE(client.receiveReply(&reply, kReplyTimeoutMs));
    EXPECT_FALSE(reply.ok);
}

TEST_F(ControlServerTest, SetupThenListingInOnePacketAreAnsweredInOrder) {
    config.channels[1].path = folder.path16();
    startAndConnect();
    ASSERT_TRUE(client.sendTexts({ControlClient::setupMessage(), u"#CMD_GET_CHANNEL(<ch>1)"}));
    client::Reply first;
    client::Reply second;
    ASSERT_TRUE(client.receiveReply(&first, kReplyTimeoutMs));
    ASSERT_TRUE(client.receiveReply(&second, kReplyTimeoutMs));
    EXPECT_TRUE(first.ok);
    EXPECT_TRUE(second.ok);
    EXPECT_EQ(second.texts().front(), core::format(u"#RET_ROOT(<path>\"%s\")", {folder.path16()}));
}

}  // namespace
}  // namespace tvr::test
