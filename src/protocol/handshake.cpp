// SPDX-License-Identifier: MIT
// "#CMD_SETUP" and "#CMD_PASSWORD": the headset's identity check, the server's settings for
// the headset, and the password with its lockout.
#include "core/paths.h"
#include "core/text.h"
#include "core/version.h"
#include "library/channel_type_names.h"
#include "library/list_file.h"
#include "protocol/constants.h"
#include "protocol/status_codes.h"
#include "protocol/tagged_message.h"
#include "protocol/text_handlers.h"
#include "protocol/vr_rule_messages.h"
#include "stores/vr_format_rules.h"

namespace tvr::protocol {

namespace {

std::u16string channelName(const core::ChannelConfig& channel) {
    if (channel.type == core::kChannelPlaylist) {
        std::u16string name;
        library::getListName(&name, channel.path);
        return name;
    }
    const library::ChannelTypeName* names = library::findChannelTypeName(channel.type);
    return names != nullptr ? std::u16string(names->headset) : u"***";
}

}  // namespace

Outcome commandSetup(HandlerContext& context, std::u16string_view text) {
    const core::Config& config = context.config;
    std::int32_t version = intAfterKey(text, u"<protocol_ver>").value_or(0);
    if (version < kMinimumClientVersion) {
        context.status.post(status::kOldProtocol, status::kErrorText,
                            core::format(u"クライアント側（アプリケーション）の通信バージョンが古い(%d)", {version}));
        return Outcome::Failure;
    }
    std::optional<std::u16string> copyright = quotedAfterKey(text, u"<copyright>");
    if (!copyright || *copyright != kClientCopyright) {
        context.status.post(status::kWrongCopyright, status::kErrorText,
                            u"クライアント側（アプリケーション）のコピーライトが合わない");
        return Outcome::Failure;
    }
    context.reply.appendText(core::format(u"#RET_VERSION(<protocol_ver>%d,<app_ver>\"%s\",<copyright>\"%s\")",
                                          {core::kProtocolVersion, core::kAppVersion, kServerCopyright}));
    std::u16string names = u"#RET_CH_NAME(";
    for (int ch = 0; ch < core::kChannelCount; ++ch) {
        const auto& channel = config.channels[static_cast<std::size_t>(ch)];
        if (ch > 0) names += u",";
        names += core::format(u"<type.%d>%d,<name.%d>\"%s\"", {ch, channel.type, ch, channelName(channel)});
    }
    names += u")";
    context.reply.appendText(names);
    context.reply.appendText(core::format(u"#RET_SEEK_TIME(<ff>%d,<rw>%d)", {config.seekForward, config.seekBackward}));
    context.reply.appendText(core::format(u"#RET_USE_MOUSE(<on>%d,<scale>%d,<port>%d)",
                                          {config.useMouse, config.mouseScale, config.portMouse}));
    context.reply.appendText(core::format(u"#RET_USE_HTTP(<port>%d)", {config.portHttp}));
    if (config.usePassword == 0) context.session.authenticate();
    if (!context.session.authenticated) context.reply.appendText(u"#RET_REQUEST_PASSWORD()");
    std::u16string ruleFile = core::dataFolder();
    core::appendPath(ruleFile, u"VRFormat.txt");
    std::vector<stores::VrRule> rules;
    if (stores::readVrFormatRules(ruleFile, &rules)) appendVrFormatRules(context.reply, rules);
    return Outcome::Success;
}

Outcome commandPassword(HandlerContext& context, std::u16string_view text) {
    Session& session = context.session;
    std::uint32_t now = context.clock.nowMs();
    if (session.lockoutActive && static_cast<std::int32_t>(session.lockoutEnd - now) > 0) {
        context.status.post(status::kPasswordLockout, status::kErrorText, u"パスワードタイム");
        return Outcome::Failure;
    }
    std::optional<std::u16string> password = quotedAfterKey(text, u"<pass>");
    if (!password) {
        context.status.post(status::kPasswordMissing, status::kErrorText, u"パスワードが見つからない");
        session.lockoutEnd = now + kPasswordLockoutMs;
        session.lockoutActive = true;
        return Outcome::Failure;
    }
    if (*password == context.config.password) {
        session.authenticate();
        return Outcome::Success;
    }
    context.status.post(status::kPasswordWrong, status::kErrorText, u"パスワードが一致しません");
    session.lockoutEnd = now + kPasswordLockoutMs;
    session.lockoutActive = true;
    return Outcome::Failure;
}

}  // namespace tvr::protocol
