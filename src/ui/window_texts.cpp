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
    std::pair{TextId::EditorMissing, std::u16string_view(u"テキストエディタが見つかりません: %s")},
    std::pair{TextId::ListFileCreated, std::u16string_view(u"空のリストファイルを作りました: %s")},
    std::pair{TextId::Applied, std::u16string_view(u"適用しました")},
    std::pair{TextId::StatusBarHint, std::u16string_view(u"ダブルクリック (Ctrl+E) でイベントを表示")},
    std::pair{TextId::MouseRelayIdle,
              std::u16string_view(
                  u"マウス中継は動いていません（ヘッドセット接続中、設定の「PCマウスを使う」がオンのときに動きます）")},
    std::pair{TextId::MediaLoadFailed, std::u16string_view(u"%s の読み込みに失敗しました。")},
    std::pair{TextId::PortOutOfRange, std::u16string_view(u"「%s」には 1 から 65535 までの数を入れてください。")},
    std::pair{TextId::PortServerLabel, std::u16string_view(u"ポート番号")},
    std::pair{TextId::PortHttpLabel, std::u16string_view(u"ポート番号 (動画用)")},
    std::pair{TextId::PortMouseLabel, std::u16string_view(u"ポート番号 (マウス)")},
    std::pair{TextId::FileChooserTitle, std::u16string_view(u"ファイル選択")},
    std::pair{TextId::TypeVrDevice, std::u16string_view(u"VRデバイス")},
    std::pair{TextId::TypePcFolder, std::u16string_view(u"PCフォルダ")},
    std::pair{TextId::TypePlaylist, std::u16string_view(u"プレイリスト")},
    std::pair{TextId::TypeSearchList, std::u16string_view(u"検索リスト")},
    std::pair{TextId::TypeFavoriteList, std::u16string_view(u"お気に入りリスト")},
    std::pair{TextId::VideoRefused, std::u16string_view(u"動画の要求を断りました（404: %s）")},
    std::pair{TextId::VideoRefusedCount, std::u16string_view(u"（%d 件）")},
    std::pair{
        TextId::ListingSkipped,
        std::u16string_view(u"チャンネル%d: %sを表示、%sを除外しました（拡張子が [File] pcExt (%s) にありません）: "
                            u"%s — 再生する拡張子は pcExt に追加してください")},
    std::pair{TextId::SearchSkipped,
              std::u16string_view(u"検索: %sが見つかり、名前は合っても%sを除外しました（拡張子が [File] pcExt (%s) "
                                  u"にありません）: %s — 再生する拡張子は pcExt に追加してください")},
    std::pair{TextId::VideosOne, std::u16string_view(u"動画 1 本")},
    std::pair{TextId::VideosMany, std::u16string_view(u"動画 %I64d 本")},
    std::pair{TextId::FilesOne, std::u16string_view(u"ファイル 1 個")},
    std::pair{TextId::FilesMany, std::u16string_view(u"ファイル %I64d 個")},
    std::pair{TextId::NamesOne, std::u16string_view(u"1 件の名前")},
    std::pair{TextId::NamesMany, std::u16string_view(u"%I64d 件の名前")},
    std::pair{TextId::WebStatus, std::u16string_view(u"状態")},
    std::pair{TextId::WebServerAddress, std::u16string_view(u"サーバーアドレス")},
    std::pair{TextId::WebProblems, std::u16string_view(u"問題")},
    std::pair{TextId::WebChannels, std::u16string_view(u"チャンネル")},
    std::pair{
        TextId::WebChannelHint,
        std::u16string_view(u"※ コンボボックスで「PCフォルダ」を選択し、右のボタンで目的のフォルダを指定します。")},
    std::pair{TextId::WebApply, std::u16string_view(u"適用")},
    std::pair{TextId::WebApplied, std::u16string_view(u"適用しました")},
    std::pair{TextId::WebFolderButton, std::u16string_view(u"フォル")},
    std::pair{TextId::WebChooseFolder, std::u16string_view(u"フォルダの選択")},
    std::pair{TextId::WebUp, std::u16string_view(u"上へ")},
    std::pair{TextId::WebSelect, std::u16string_view(u"このフォルダを選ぶ")},
    std::pair{TextId::WebCancel, std::u16string_view(u"キャンセル")},
    std::pair{TextId::WebComputer, std::u16string_view(u"(コンピュータ)")},
    std::pair{TextId::WebSettings, std::u16string_view(u"設定")},
    std::pair{TextId::WebSettingsOk, std::u16string_view(u"OK")},
    std::pair{TextId::WebSaved, std::u16string_view(u"保存しました")},
    std::pair{TextId::WebPortNote, std::u16string_view(u"※ ポート番号の設定を反映させるにはサーバーの再起動が必要")},
    std::pair{TextId::WebEvents, std::u16string_view(u"イベント")},
    std::pair{TextId::WebLanguage, std::u16string_view(u"English")},
    std::pair{
        TextId::WebSignIn,
        std::u16string_view(u"サーバーが起動時に表示したアドレス (トークン付き) からこのページを開いてください。")},
    std::pair{TextId::WebPassword, std::u16string_view(u"Webパスワード")},
    std::pair{TextId::WebPasswordNote,
              std::u16string_view(u"※ ホームネットワークの端末はこのパスワードでサインインします (8～256バイト)")},
    std::pair{TextId::WebPasswordSave, std::u16string_view(u"パスワードを設定")},
    std::pair{TextId::WebLogIn, std::u16string_view(u"サインイン")},
    std::pair{TextId::WebPasswordWrong, std::u16string_view(u"パスワードが一致しません")},
    std::pair{TextId::WebPasswordLocked, std::u16string_view(u"パスワードを間違えたため30秒間サインインできません")},
    std::pair{TextId::WebTokenLocalOnly,
              std::u16string_view(u"トークンはサーバーのPCでのみ使えます。Webパスワードでサインインしてください。")},
    std::pair{TextId::WebStreams, std::u16string_view(u"送信中の動画")},
    std::pair{TextId::WebNoStreams, std::u16string_view(u"なし")},
    std::pair{TextId::WebStreamFile, std::u16string_view(u"ファイル")},
    std::pair{TextId::WebStreamPosition, std::u16string_view(u"位置")},
    std::pair{TextId::WebStreamRate, std::u16string_view(u"速度")},
};

constexpr std::array kEnglish = {
    std::pair{TextId::AppName, std::u16string_view(u"TamvikVR Server")},
    std::pair{TextId::TooltipSeparator, std::u16string_view(u" - ")},
    std::pair{TextId::DllErrorTitle, std::u16string_view(u"DLL error")},
    std::pair{TextId::EventWindowTitle, std::u16string_view(u"Events - TamvikVR Server")},
    std::pair{TextId::TrayShowWindow, std::u16string_view(u"Show &window")},
    std::pair{TextId::TrayShowEvents, std::u16string_view(u"Show &events")},
    std::pair{TextId::TrayQuit, std::u16string_view(u"&Quit")},
    std::pair{TextId::FolderMissing, std::u16string_view(u"Channel %d: the folder is not there: %s")},
    std::pair{TextId::FolderIsFile, std::u16string_view(u"Channel %d names a file, not a folder: %s")},
    std::pair{TextId::SettingNotNumber, std::u16string_view(u"[%s] %s=%s is not a number; the default is used")},
    std::pair{TextId::HotKeyTaken, std::u16string_view(u"Hot key %s is held by another program")},
    std::pair{TextId::EditorFailed, std::u16string_view(u"Cannot edit: %s")},
    std::pair{TextId::EditorMissing, std::u16string_view(u"No text editor found for: %s")},
    std::pair{TextId::ListFileCreated, std::u16string_view(u"Created the empty list file: %s")},
    std::pair{TextId::Applied, std::u16string_view(u"Applied")},
    std::pair{TextId::StatusBarHint, std::u16string_view(u"Double-click (Ctrl+E) to show the events")},
    std::pair{TextId::MouseRelayIdle,
              std::u16string_view(u"The mouse relay is not running (it runs while a headset is connected and "
                                  u"\"Use the PC mouse\" is on in the settings)")},
    std::pair{TextId::MediaLoadFailed, std::u16string_view(u"%s could not be loaded.")},
    std::pair{TextId::PortOutOfRange, std::u16string_view(u"Enter a number from 1 to 65535 in \"%s\".")},
    std::pair{TextId::PortServerLabel, std::u16string_view(u"Port")},
    std::pair{TextId::PortHttpLabel, std::u16string_view(u"Port (video)")},
    std::pair{TextId::PortMouseLabel, std::u16string_view(u"Port (mouse)")},
    std::pair{TextId::FileChooserTitle, std::u16string_view(u"Choose a file")},
    std::pair{TextId::TypeVrDevice, std::u16string_view(u"VR device")},
    std::pair{TextId::TypePcFolder, std::u16string_view(u"PC folder")},
    std::pair{TextId::TypePlaylist, std::u16string_view(u"Playlist")},
    std::pair{TextId::TypeSearchList, std::u16string_view(u"Search list")},
    std::pair{TextId::TypeFavoriteList, std::u16string_view(u"Favorites list")},
    std::pair{TextId::VideoRefused, std::u16string_view(u"video: 404 (%s)")},
    std::pair{TextId::VideoRefusedCount, std::u16string_view(u" (%d connections)")},
    std::pair{TextId::ListingSkipped,
              std::u16string_view(u"channel %d: %s listed; %s left out whose extensions are not in [File] pcExt (%s): "
                                  u"%s — add them to pcExt")},
    std::pair{TextId::SearchSkipped,
              std::u16string_view(u"search: %s found; %s matched but were left out, their extensions not being in "
                                  u"[File] pcExt (%s): %s — add them to pcExt")},
    std::pair{TextId::VideosOne, std::u16string_view(u"1 video")},
    std::pair{TextId::VideosMany, std::u16string_view(u"%I64d videos")},
    std::pair{TextId::FilesOne, std::u16string_view(u"1 file")},
    std::pair{TextId::FilesMany, std::u16string_view(u"%I64d files")},
    std::pair{TextId::NamesOne, std::u16string_view(u"1 more name")},
    std::pair{TextId::NamesMany, std::u16string_view(u"%I64d more names")},
    std::pair{TextId::WebStatus, std::u16string_view(u"Status")},
    std::pair{TextId::WebServerAddress, std::u16string_view(u"Server address")},
    std::pair{TextId::WebProblems, std::u16string_view(u"Problems")},
    std::pair{TextId::WebChannels, std::u16string_view(u"Channels")},
    std::pair{
        TextId::WebChannelHint,
        std::u16string_view(u"Pick \"PC folder\" in a row's list, then its folder with the button on the right.")},
    std::pair{TextId::WebApply, std::u16string_view(u"Apply")},
    std::pair{TextId::WebApplied, std::u16string_view(u"Applied")},
    std::pair{TextId::WebFolderButton, std::u16string_view(u"Folder")},
    std::pair{TextId::WebChooseFolder, std::u16string_view(u"Choose a folder")},
    std::pair{TextId::WebUp, std::u16string_view(u"Up")},
    std::pair{TextId::WebSelect, std::u16string_view(u"Choose this folder")},
    std::pair{TextId::WebCancel, std::u16string_view(u"Cancel")},
    std::pair{TextId::WebComputer, std::u16string_view(u"(Computer)")},
    std::pair{TextId::WebSettings, std::u16string_view(u"Settings")},
    std::pair{TextId::WebSettingsOk, std::u16string_view(u"OK")},
    std::pair{TextId::WebSaved, std::u16string_view(u"Saved")},
    std::pair{TextId::WebPortNote, std::u16string_view(u"※ A port change takes effect when the server starts again")},
    std::pair{TextId::WebEvents, std::u16string_view(u"Events")},
    std::pair{TextId::WebLanguage, std::u16string_view(u"日本語")},
    std::pair{
        TextId::WebSignIn,
        std::u16string_view(u"Open this page from the address (with its token) the server printed as it started.")},
    std::pair{TextId::WebPassword, std::u16string_view(u"Web password")},
    std::pair{TextId::WebPasswordNote,
              std::u16string_view(u"※ Browsers on the home network sign in with this password (8 to 256 bytes)")},
    std::pair{TextId::WebPasswordSave, std::u16string_view(u"Set password")},
    std::pair{TextId::WebLogIn, std::u16string_view(u"Sign in")},
    std::pair{TextId::WebPasswordWrong, std::u16string_view(u"The password does not match")},
    std::pair{TextId::WebPasswordLocked,
              std::u16string_view(u"A wrong password was given: signing in waits 30 seconds")},
    std::pair{TextId::WebTokenLocalOnly,
              std::u16string_view(u"The token works only on the server's PC; sign in with the web password.")},
    std::pair{TextId::WebStreams, std::u16string_view(u"Video streams")},
    std::pair{TextId::WebNoStreams, std::u16string_view(u"none")},
    std::pair{TextId::WebStreamFile, std::u16string_view(u"File")},
    std::pair{TextId::WebStreamPosition, std::u16string_view(u"Position")},
    std::pair{TextId::WebStreamRate, std::u16string_view(u"Rate")},
};
static_assert(kEnglish.size() == kJapanese.size(), "every text has both languages");

Language current = Language::Japanese;

}  // namespace

void setTextLanguage(Language language) { current = language; }

Language textLanguage() { return current; }

std::u16string_view text(TextId id) { return text(id, current); }

std::u16string_view text(TextId id, Language language) {
    for (const auto& [key, value] : language == Language::English ? kEnglish : kJapanese) {
        if (key == id) return value;
    }
    return {};
}

}  // namespace tvr::ui
