// SPDX-License-Identifier: MIT
// "#CMD_SETUP" and "#CMD_PASSWORD": the headset's identity check, the server's settings for
// the headset, and the password with its lockout.
#include "core/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "library/list_file.h"
#include "protocol/constants.h"
#include "protocol/control_server.h"
#include "protocol/tagged_message.h"
#include "stores/vr_format_rules.h"

namespace tvr::protocol {

namespace {

std::u16string channelName(const core::ChannelConfig& channel) {
    switch (channel.type) {
        case core::kChannelPcFolder:
            return u"PCフォルダ";
        case core::kChannelVrDevice:
            return u"VRデバイス";
        case core::kChannelSearchList:
            return u"検索";
        case core::kChannelFavoriteList:
            return u"お気に入り";
        case core::kChannelPlaylist: {
            std::u16string name;
            library::getListName(&name, channel.path);
            return name;
        }
        default:
            return u"***";
    }
}

}  // namespace

bool ControlServer::commandSetup(std::u16string_view text) {
    std::int32_t version = intAfterKey(text, u"<protocol_ver>").value_or(0);
    if (version < kMinimumClientVersion) {
        postStatus(0x211, u"エラー",
                   core::format(u"クライアント側（アプリケーション）の通信バージョンが古い(%d)", {version}));
        return false;
    }
    std::optional<std::u16string> copyright = quotedAfterKey(text, u"<copyright>");
    if (!copyright || *copyright != kClientCopyright) {
        postStatus(0x212, u"エラー", u"クライアント側（アプリケーション）のコピーライトが合わない");
        return false;
    }
    appendText(core::format(u"#RET_VERSION(<protocol_ver>%d,<app_ver>\"%s\",<copyright>\"%s\")",
                            {core::kProtocolVersion, core::kAppVersion, kServerCopyright}));
    std::u16string names = u"#RET_CH_NAME(";
    for (int ch = 0; ch < core::kChannelCount; ++ch) {
        const auto& channel = config_.channels[static_cast<std::size_t>(ch)];
        if (ch > 0) names += u",";
        names += core::format(u"<type.%d>%d,<name.%d>\"%s\"", {ch, channel.type, ch, channelName(channel)});
    }
    names += u")";
    appendText(names);
    appendText(core::format(u"#RET_SEEK_TIME(<ff>%d,<rw>%d)", {config_.seekForward, config_.seekBackward}));
    appendText(core::format(u"#RET_USE_MOUSE(<on>%d,<scale>%d,<port>%d)",
                            {config_.useMouse, config_.mouseScale, config_.portMouse}));
    appendText(core::format(u"#RET_USE_HTTP(<port>%d)", {config_.portHttp}));
    if (config_.usePassword == 0) authenticated_ = true;
    if (!authenticated_) appendText(u"#RET_REQUEST_PASSWORD()");
    std::u16string ruleFile = core::executableFolder();
    core::appendPath(ruleFile, u"VRFormat.txt");
    stores::sendVRFormatRules(*this, ruleFile);
    return true;
}

bool ControlServer::commandPassword(std::u16string_view text) {
    std::uint32_t now = clock_.nowMs();
    if (lockoutActive_ && static_cast<std::int32_t>(passwordLockout_ - now) > 0) {
        postStatus(0x222, u"エラー", u"パスワードタイム");
        return false;
    }
    std::optional<std::u16string> password = quotedAfterKey(text, u"<pass>");
    if (!password) {
        postStatus(0x220, u"エラー", u"パスワードが見つからない");
        passwordLockout_ = now + kPasswordLockoutMs;
        lockoutActive_ = true;
        return false;
    }
    if (*password == config_.password) {
        authenticated_ = true;
        return true;
    }
    postStatus(0x221, u"エラー", u"パスワードが一致しません");
    passwordLockout_ = now + kPasswordLockoutMs;
    lockoutActive_ = true;
    return false;
}

}  // namespace tvr::protocol
