<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ja_JP">
<context>
    <name>tvr::ui::qt</name>
    <message>
        <source>チャンネル</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>フォル</source>
        <translation>Fold.</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>※ コンボボックスで「PCフォルダ」を選択し、右のボタンで目的のフォルダを指定します。</source>
        <translation>* Choose &quot;PC folder&quot;, then its folder with the button on the right.</translation>
    </message>
    <message>
        <source>※ プレイリストを使うと 一つのチェンネルに複数のフォルダを登録できます。</source>
        <translation>* A playlist puts several folders on one channel.</translation>
    </message>
    <message>
        <source>サーバーアドレス</source>
        <translation>Server address</translation>
    </message>
    <message>
        <source>マウス ON</source>
        <translation>Mouse ON</translation>
    </message>
    <message>
        <source>マウス OFF</source>
        <translation>Mouse OFF</translation>
    </message>
    <message>
        <source>強制 切断
C+S+A+KEY[S]</source>
        <translation>Disconnect
C+S+A+KEY[S]</translation>
    </message>
    <message>
        <source>情報更新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>適用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>パスワードを使う (off)</source>
        <translation>Use a password (off)</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>※ 数字のみ</source>
        <translation>* digits only</translation>
    </message>
    <message>
        <source>PCマウスを使う　(Off)</source>
        <translation>Use the PC mouse (Off)</translation>
    </message>
    <message>
        <source>座標スケール (100)</source>
        <translation>Scale (100)</translation>
    </message>
    <message>
        <source>※ VRヘッドセットでタムヴィクVR使用中は</source>
        <translation>* While TamvikVR runs on the VR headset,</translation>
    </message>
    <message>
        <source>パソコンのマウス操作が出来なくなります。</source>
        <translation>the PC's mouse cannot be used on the PC.</translation>
    </message>
    <message>
        <source>※ CTRL+SHIFT+ALT+Dキーでパソコンの操作へ戻ります。</source>
        <translation>* CTRL+SHIFT+ALT+D gives the mouse back to the PC.</translation>
    </message>
    <message>
        <source>動画ファイル拡張子</source>
        <translation>Extensions</translation>
    </message>
    <message>
        <source>※ 半角スペースで区切る 【例】  &quot;mp4 avi flv&quot;</source>
        <translation>* separated by spaces, e.g. &quot;mp4 avi flv&quot;</translation>
    </message>
    <message>
        <source>指定秒送り</source>
        <translation>Skip by seconds</translation>
    </message>
    <message>
        <source>送り (10)</source>
        <translation>Fwd (10)</translation>
    </message>
    <message>
        <source>戻し (-3)</source>
        <translation>Back (-3)</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>再生速度</source>
        <translation>Playback speeds</translation>
    </message>
    <message>
        <source>％</source>
        <translation>%</translation>
    </message>
    <message>
        <source>スクリーンサイズ</source>
        <translation>Screen sizes</translation>
    </message>
    <message>
        <source>アプリ生存確認</source>
        <translation>App alive check</translation>
    </message>
    <message>
        <source>ログ出力 TamvikVR Server[Log].txt</source>
        <translation>Write the log TamvikVR Server[Log].txt</translation>
    </message>
    <message>
        <source>マーカー保存フォルダ</source>
        <translation>Marker folder</translation>
    </message>
    <message>
        <source>VR Format 保存</source>
        <translation>VR format folder</translation>
    </message>
    <message>
        <source>フォルダ</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>※ サブフォルダ または 絶対パスを指定します。</source>
        <translation>* A subfolder or an absolute path.</translation>
    </message>
    <message>
        <source>検索対象リスト</source>
        <translation>Search target list</translation>
    </message>
    <message>
        <source>ワードリスト</source>
        <translation>Word list</translation>
    </message>
    <message>
        <source>PCフォルダリスト</source>
        <translation>PC folder list</translation>
    </message>
    <message>
        <source>ポート番号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>ポート番号 (動画用)</source>
        <translation>Port (video)</translation>
    </message>
    <message>
        <source>ポート番号 (マウス)</source>
        <translation>Port (mouse)</translation>
    </message>
    <message>
        <source>(初期値:11922)</source>
        <translation>(default: 11922)</translation>
    </message>
    <message>
        <source>(初期値:11921)</source>
        <translation>(default: 11921)</translation>
    </message>
    <message>
        <source>(初期値:11923)</source>
        <translation>(default: 11923)</translation>
    </message>
    <message>
        <source>※ ポート番号の設定を反映させるにはサーバーの再起動が必要</source>
        <translation>* A new port takes effect when the server restarts</translation>
    </message>
    <message>
        <source>ファイル選択</source>
        <translation>Choose a file</translation>
    </message>
    <message>
        <source>ホットキー (Ctrl+Shift+Alt+S/M/D) は使えません: X ディスプレイがありません</source>
        <translation>Hot keys (Ctrl+Shift+Alt+S/M/D) are not available: there is no X display</translation>
    </message>
    <message>
        <source>ホットキー (Ctrl+Shift+Alt+S/M/D) は使えません: 他のプログラムが使っています</source>
        <translation>Hot keys (Ctrl+Shift+Alt+S/M/D) are not available: another program holds them</translation>
    </message>
    <message>
        <source>ホットキー (Ctrl+Shift+Alt+S/M/D) は使えません: キーボードにキーがありません</source>
        <translation>Hot keys (Ctrl+Shift+Alt+S/M/D) are not available: the keyboard lacks the keys</translation>
    </message>
</context>
</TS>
