// SPDX-License-Identifier: MIT
#include "protocol/status_gloss.h"

#include "core/text.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

namespace status = protocol::status;

// The reason inside "切断(%s)".
std::u16string disconnectReason(std::u16string_view text1) {
    constexpr std::u16string_view kPrefix = u"切断(";
    if (!text1.starts_with(kPrefix) || !text1.ends_with(u")")) return {};
    std::u16string_view reason = text1.substr(kPrefix.size(), text1.size() - kPrefix.size() - 1);
    if (reason == status::kReasonClosed) return u"the headset closed the connection";
    if (reason == status::kReasonForced) return u"forced from the PC";
    if (reason == status::kReasonRelease) return u"the server is stopping";
    if (reason.starts_with(u"無通信:")) {
        std::u16string_view seconds = reason.substr(4);
        if (seconds.ends_with(u"秒")) seconds.remove_suffix(1);
        return core::format(u"nothing heard from the headset for %s s", {seconds});
    }
    if (reason.starts_with(u"socket error:")) return core::format(u"network error %s", {reason.substr(13)});
    if (reason == status::kReasonBadFourCC) return u"a packet did not start with PACK";
    if (reason == status::kReasonTooLarge) return u"a packet was too large";
    if (reason == status::kReasonSendTimeout) return u"the headset stopped taking replies";
    return {};
}

}  // namespace

std::u16string statusGloss(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    switch (code) {
        case status::kWaiting:
            return u"waiting for a headset";
        case status::kConnected:
            return u"a headset connected";
        case status::kDisconnected: {
            std::u16string reason = disconnectReason(text1);
            return reason.empty() ? u"disconnected" : u"disconnected: " + reason;
        }
        case status::kSuspended:
            return u"the headset paused the session";
        case status::kResumed:
            return u"the headset resumed the session";
        case status::kSaveCountMismatch:
            return u"error: the saved list does not have the line count the headset announced";
        case status::kError:
            if (text2.starts_with(u"malloc")) return u"fatal error: out of memory";
            if (text2.starts_with(u"GetHeader")) return u"fatal error: a packet does not start with PACK";
            if (text2 == u"SaveMarker()") return u"error: the markers could not be saved";
            if (text2 == u"SaveVRFormat()") return u"error: the VR format could not be saved";
            if (text2 == u"SaveWordList()") return u"error: the word list could not be saved; it is kept to try again";
            if (text2.starts_with(u"IniWrite")) return u"error: the headset's setting could not be written";
            if (text2.starts_with(u"ReadListFile()")) return u"error: a list file over 64 MiB was refused";
            if (text2.starts_with(u"EnumFolder()"))
                return u"file names that are not UTF-8 were left out of the listing";
            if (text2.starts_with(u"ListFolder()")) return u"the listing ended at its folder cap";
            if (text2.starts_with(u"例外")) return u"error: a command failed and was answered with an error";
            return u"error";
        case status::kOldProtocol:
            return u"error: the headset app's protocol version is too old";
        case status::kWrongCopyright:
            return u"error: the headset app is not one this server knows";
        case status::kPasswordMissing:
            return u"error: the headset sent no password";
        case status::kPasswordWrong:
            return u"error: wrong password; the next try is possible in 30 s";
        case status::kPasswordLockout:
            return u"error: password tries are locked for 30 s after a wrong one";
        case status::kSendTimeout:
            return u"error: sending to the headset timed out";
        default:
            return {};
    }
}

bool japaneseLocale(const char* lcAll, const char* lcMessages, const char* lang) {
    // The first variable that is set and not empty decides, as in POSIX.
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value == nullptr || *value == '\0') continue;
        std::string_view text(value);
        return text.starts_with("ja");
    }
    return false;
}

}  // namespace tvr::protocol
