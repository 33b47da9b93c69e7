// SPDX-License-Identifier: MIT
#pragma once
// Every status the control server posts, with its fixed texts. The front-end reacts to these
// names; the texts are what the headset's error reply, the status bar and the log show.
#include <cstdint>

namespace tvr::protocol::status {

inline constexpr std::int32_t kNone = 0;                   // start listening; an emptied slot
inline constexpr std::int32_t kWaiting = 1;                // listening, no headset
inline constexpr std::int32_t kConnected = 2;              // a headset connected (address)
inline constexpr std::int32_t kDisconnected = 3;           // "切断(reason)" (address or "non")
inline constexpr std::int32_t kSuspended = 0x10;           // the headset suspended the time-out
inline constexpr std::int32_t kResumed = 0x11;             // the headset lifted the suspension
inline constexpr std::int32_t kSaveCountMismatch = 0x200;  // a saved list arrived incomplete
inline constexpr std::int32_t kError = 0x201;              // framing faults and failed saves
inline constexpr std::int32_t kOldProtocol = 0x211;        // the headset's protocol is too old
inline constexpr std::int32_t kWrongCopyright = 0x212;     // the headset's identity text differs
inline constexpr std::int32_t kPasswordMissing = 0x220;    // "#CMD_PASSWORD" without "<pass>"
inline constexpr std::int32_t kPasswordWrong = 0x221;      // a wrong password
inline constexpr std::int32_t kPasswordLockout = 0x222;    // a try within the lockout
inline constexpr std::int32_t kSendTimeout = 0x230;        // the headset stopped taking replies

inline constexpr char16_t kWaitingText[] = u"接続待ち";
inline constexpr char16_t kConnectedText[] = u"接続中";
inline constexpr char16_t kDisconnectedFormat[] = u"切断(%s)";
inline constexpr char16_t kSuspendedText[] = u"中断中";
inline constexpr char16_t kResumedText[] = u"中断解除";
inline constexpr char16_t kErrorText[] = u"エラー";
inline constexpr char16_t kFatalErrorText[] = u"致命的なエラー";
/// Second texts of what a listing met: a list file over the size cap (size, path), a folder
/// whose names are not all UTF-8 (folder), a walk ended by its folder cap (cap).
inline constexpr char16_t kListTooLargeFormat[] = u"ReadListFile() : リストファイルが大きすぎる(%I64d) %s";
inline constexpr char16_t kUndecodableNamesFormat[] = u"EnumFolder() : UTF-8でない名前を除外 %s";
inline constexpr char16_t kMoreUndecodableFormat[] = u"EnumFolder() : UTF-8でない名前を除外 ほか%dフォルダ";
inline constexpr char16_t kWalkCappedFormat[] = u"ListFolder() : フォルダ数の上限(%d)で打ち切り";
/// A command that ended in an exception (its text).
inline constexpr char16_t kExceptionFormat[] = u"例外: %s";
/// The second text of a disconnection when no headset was connected.
inline constexpr char16_t kNoAddress[] = u"non";

/// Second texts of kError that the front-end glosses: the posters and the glosses use these names.
inline constexpr char16_t kBadFourCCText[] = u"GetHeader() : ForeCC'PACK'が一致しない";
/// Followed by the announced length in parentheses.
inline constexpr char16_t kPacketTooLargeText[] = u"GetHeader() : パケットが大きすぎる";
inline constexpr char16_t kSaveMarkerFailed[] = u"SaveMarker()";
inline constexpr char16_t kSaveVrFormatFailed[] = u"SaveVRFormat()";
inline constexpr char16_t kSaveWordListFailed[] = u"SaveWordList()";
inline constexpr char16_t kIniWriteInt64Failed[] = u"IniWriteInt64()";
inline constexpr char16_t kIniWriteStringFailed[] = u"IniWriteString()";

/// Reasons, the %s of "切断(%s)".
inline constexpr char16_t kReasonClosed[] = u"正常終了";
inline constexpr char16_t kReasonSocketError[] = u"socket error:%d";
inline constexpr char16_t kReasonForced[] = u"強制切断";
inline constexpr char16_t kReasonNoTraffic[] = u"無通信:%d秒";
inline constexpr char16_t kReasonRelease[] = u"Release()";
inline constexpr char16_t kReasonBadFourCC[] = u"FourCC不一致";
inline constexpr char16_t kReasonTooLarge[] = u"パケットサイズ超過";
/// The headset left queued replies unread for the whole send time-out.
inline constexpr char16_t kReasonSendTimeout[] = u"送信タイムアウト";

}  // namespace tvr::protocol::status
