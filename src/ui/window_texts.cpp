// SPDX-License-Identifier: MIT
#include "ui/window_texts.h"

#include <array>
#include <utility>

namespace tvr::ui {
namespace {

constexpr std::array kJapanese = {
    std::pair{TextId::AppName, std::u16string_view(u"TamvikVR Server")},
    std::pair{TextId::TooltipSeparator, std::u16string_view(u" - ")},
    std::pair{TextId::DllErrorTitle, std::u16string_view(u"DLL エラー")},
    std::pair{TextId::EventWindowTitle, std::u16string_view(u"イベント - TamvikVR Server")},
    std::pair{TextId::TrayShowWindow, std::u16string_view(u"ウインドウを表示(&W)")},
    std::pair{TextId::TrayShowEvents, std::u16string_view(u"イベントを表示(&E)")},
    std::pair{TextId::TrayQuit, std::u16string_view(u"終了(&Q)")},
    std::pair{TextId::FolderMissing, std::u16string_view(u"チャンネル%d のフォルダがありません: %s")},
    std::pair{TextId::FolderIsFile, std::u16string_view(u"チャンネル%d はフォルダではなくファイルです: %s")},
    std::pair{TextId::SettingNotNumber, std::u16string_view(u"[%s] %s=%s は数字ではないため、初期値を使います")},
    std::pair{TextId::HotKeyTaken, std::u16string_view(u"ホットキー %s は他のプログラムが使っています")},
    std::pair{TextId::EditorFailed, std::u16string_view(u"編集できません: %s")},
    std::pair{TextId::MouseRelayIdle,
              std::u16string_view(
                  u"マウス中継は動いていません（ヘッドセット接続中、設定の「PCマウスを使う」がオンのときに動きます）")},
};

}  // namespace

std::u16string_view text(TextId id) {
    for (const auto& [key, value] : kJapanese) {
        if (key == id) return value;
    }
    return {};
}

}  // namespace tvr::ui
