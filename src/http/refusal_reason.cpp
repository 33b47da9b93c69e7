// SPDX-License-Identifier: MIT
#include "http/refusal_reason.h"

#include <array>

namespace tvr::http {

namespace {

using enum RefusalReason;

constexpr std::array kTexts{
    RefusalText{None, u"served", u"送信しました"},
    RefusalText{NoSuchFile, u"no such file", u"ファイルがありません"},
    RefusalText{Folder, u"the path is a folder, not a video", u"動画ではなくフォルダです"},
    RefusalText{Extension, u"its extension is not in [Config] pcExt", u"拡張子が [Config] pcExt にありません"},
    RefusalText{OtherHost, u"another host than the logged-in headset's",
                u"ログイン中のヘッドセット以外のホストからの要求です"},
    RefusalText{LoginEnded, u"the headset's login it came under has ended",
                u"要求したヘッドセットのログインは終わっています"},
    RefusalText{NobodyLoggedIn, u"no headset logged in while it waited",
                u"待っている間にヘッドセットがログインしませんでした"},
    RefusalText{OtherSpelling,
                u"Windows opens that name as another file, whose extension is not in [Config] pcExt: a short name, "
                u"or trailing dots or blanks",
                u"Windows はその名前を別のファイルとして開き、その拡張子は [Config] pcExt にありません: "
                u"短い名前、または末尾の点や空白"},
    RefusalText{Undecodable, u"the request's path could not be decoded", u"要求のパスを解読できません"},
    RefusalText{NoSuchSlot, u"no stream slot of that number: stream= takes 0 or 1",
                u"その番号のストリームはありません: stream= は 0 か 1"},
    RefusalText{CannotOpen, u"the file cannot be opened: access denied, or locked by another program",
                u"ファイルを開けません: アクセス拒否、または他のプログラムが使用中"},
};

// A row missing or out of place would give a reason another's words.
constexpr bool inEnumOrder() {
    for (std::size_t i = 0; i < kTexts.size(); ++i) {
        if (static_cast<std::size_t>(kTexts[i].reason) != i) return false;
    }
    return true;
}
static_assert(inEnumOrder() && kTexts.back().reason == CannotOpen, "one row per reason, in the enum's order");

}  // namespace

std::span<const RefusalText> refusalTexts() { return kTexts; }

const RefusalText& refusalText(RefusalReason reason) {
    const auto index = static_cast<std::size_t>(reason);
    return index < kTexts.size() ? kTexts[index] : kTexts.front();
}

}  // namespace tvr::http
