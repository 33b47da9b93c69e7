// SPDX-License-Identifier: MIT
#include "protocol/status_gloss.h"

#include <optional>

#include "core/text.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

namespace status = protocol::status;

// What stands for the one "%d" or "%s" of a status format in a text made from it; nothing when the
// text was not made from that format.
std::optional<std::u16string_view> formatArgument(std::u16string_view text, std::u16string_view format) {
    const std::size_t mark = format.find(u'%');
    const std::u16string_view before = format.substr(0, mark);
    const std::u16string_view after = format.substr(mark + 2);
    if (text.size() < before.size() + after.size() || !text.starts_with(before) || !text.ends_with(after)) {
        return std::nullopt;
    }
    return text.substr(before.size(), text.size() - before.size() - after.size());
}

// True when the text begins as texts made from the format do, up to its first argument.
bool startsLike(std::u16string_view text, std::u16string_view format) {
    return text.starts_with(format.substr(0, format.find(u'%')));
}

// The reason inside "切断(%s)".
std::u16string disconnectReason(std::u16string_view text1) {
    std::optional<std::u16string_view> reason = formatArgument(text1, status::kDisconnectedFormat);
    if (!reason) return {};
    if (*reason == status::kReasonClosed) return u"the headset closed the connection";
    if (*reason == status::kReasonForced) return u"forced from the PC";
    if (*reason == status::kReasonRelease) return u"the server is stopping";
    if (auto seconds = formatArgument(*reason, status::kReasonNoTraffic)) {
        return core::format(u"nothing heard from the headset for %s s", {*seconds});
    }
    if (auto error = formatArgument(*reason, status::kReasonSocketError)) {
        return core::format(u"network error %s", {*error});
    }
    if (*reason == status::kReasonBadFourCC) return u"a packet did not start with PACK";
    if (*reason == status::kReasonTooLarge) return u"a packet was too large";
    if (*reason == status::kReasonSendTimeout) return u"the headset stopped taking replies";
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
            if (text2 == status::kBadFourCCText) return u"fatal error: a packet does not start with PACK";
            if (text2.starts_with(status::kPacketTooLargeText)) return u"fatal error: a packet is too large";
            if (text2 == status::kSaveMarkerFailed) return u"error: the markers could not be saved";
            if (text2 == status::kSaveVrFormatFailed) return u"error: the VR format could not be saved";
            if (text2 == status::kSaveWordListFailed) {
                return u"error: the word list could not be saved; it is kept to try again";
            }
            if (text2 == status::kIniWriteInt64Failed || text2 == status::kIniWriteStringFailed) {
                return u"error: the headset's setting could not be written";
            }
            if (startsLike(text2, status::kListTooLargeFormat)) return u"error: a list file over 64 MiB was refused";
            if (startsLike(text2, status::kUndecodableNamesFormat))
                return u"file names that are not UTF-8 were left out of the listing";
            if (startsLike(text2, status::kWalkCappedFormat)) return u"the listing ended at its folder cap";
            if (startsLike(text2, status::kExceptionFormat))
                return u"error: a command failed and was answered with an error";
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
