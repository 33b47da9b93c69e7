// SPDX-License-Identifier: MIT
#pragma once
// The texts the windows show, by identifier, so that every window takes them from one table per
// language (Japanese, English), chosen once as the program starts, instead of spelling them where
// they are used.
#include <string_view>

#include "ui/language.h"

namespace tvr::ui {

enum class TextId {
    AppName,           // the tray tooltip's first words and the title of the program's boxes
    TooltipSeparator,  // between the name and the state in the tray tooltip
    DllErrorTitle,     // the media helper's message box
    EventWindowTitle,  // the event window
    TrayShowWindow,    // the tray menu's entries
    TrayShowEvents,
    TrayQuit,
    FolderMissing,     // channel number, folder: a PC folder row names no folder
    FolderIsFile,      // channel number, path: a PC folder row names a file
    SettingNotNumber,  // section, key, value: a setting that is no number
    HotKeyTaken,       // keys: another program holds a global hot key
    EditorFailed,      // path: the list file could not be made or opened
    EditorMissing,     // path: no text editor is known to open the list file
    ListFileCreated,   // path: 編集 made the empty list file it opens
    Applied,           // 適用 stored the rows and every PC folder is there
    StatusBarHint,     // the status bar's tooltip, after its whole text
    MouseRelayIdle,    // マウス ON or OFF while no relay runs
    MediaLoadFailed,   // file name: the media helper library could not be loaded
    PortOutOfRange,    // field label: a port field of the settings dialog holds no port
    PortServerLabel,   // the port fields' labels
    PortHttpLabel,
    PortMouseLabel,
    FileChooserTitle,  // the list-file chooser
    TypeVrDevice,      // the channel types, in the order the combo boxes list them
    TypePcFolder,
    TypePlaylist,
    TypeSearchList,
    TypeFavoriteList,
    VideoRefused,       // reason: the video server answered a request 404
    VideoRefusedCount,  // number: how many connections that answer went to
    ListingSkipped,     // channel number, videos listed, files left out, pcExt, the extensions: a listing's skip note
    SearchSkipped,      // videos found, names left out, pcExt, the extensions: a name search's skip note
    VideosOne,          // a count of videos, one and many
    VideosMany,
    FilesOne,  // a count of files, one and many
    FilesMany,
    NamesOne,  // a count of names, one and many
    NamesMany,
    WebStatus,  // the web page's headings, buttons and notes
    WebServerAddress,
    WebProblems,
    WebChannels,
    WebChannelHint,
    WebApply,
    WebApplied,
    WebFolderButton,
    WebChooseFolder,
    WebUp,
    WebSelect,
    WebCancel,
    WebComputer,
    WebSettings,
    WebSettingsOk,
    WebSaved,
    WebPortNote,
    WebEvents,
    WebLanguage,  // the language switch: names the other language
    WebSignIn,    // the page without a session
    WebPassword,  // the web password: the field on the page and on the sign-in form
    WebPasswordNote,
    WebPasswordSave,
    WebLogIn,
    WebPasswordWrong,
    WebPasswordLocked,
    WebTokenLocalOnly,
    WebStreams,  // the video streams in progress: heading, the line without any, the columns
    WebNoStreams,
    WebStreamFile,
    WebStreamPosition,
    WebStreamRate,
};

/// Chooses the language of every text; called once, before the first window is made.
void setTextLanguage(Language language);
/// The language the texts come in (Japanese until chosen).
Language textLanguage();

/// The text of an identifier in the program's language.
std::u16string_view text(TextId id);
/// The text of an identifier in the given language (the web page speaks its browser's, the console
/// English in every program).
std::u16string_view text(TextId id, Language language);

}  // namespace tvr::ui
