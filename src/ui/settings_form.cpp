// SPDX-License-Identifier: MIT
#include "ui/settings_form.h"

#include "core/text.h"
#include "ui/dialog_ids.h"
#include "ui/window_texts.h"

namespace tvr::ui {
namespace {

constexpr std::array<SettingsField, kSettingsFieldCount> kFields = {{
    {IDC_USE_PASSWORD, FieldKind::Check, u"パスワードを使う (off)", u"Use a password (off)"},
    {IDC_PASSWORD, FieldKind::Text, u"パスワード", u"Password", true, true},
    {IDC_USE_MOUSE, FieldKind::Check, u"PCマウスを使う　(Off)", u"Use the PC mouse (Off)"},
    {IDC_MOUSE_SCALE, FieldKind::Number, u"座標スケール (100)", u"Scale (100)", true},
    {IDC_EXTENSIONS, FieldKind::Text, u"動画ファイル拡張子", u"Extensions"},
    {IDC_SEEK_FORWARD, FieldKind::Number, u"送り (10)", u"Fwd (10)", true},
    {IDC_SEEK_BACKWARD, FieldKind::Number, u"戻し (-3)", u"Back (-3)"},
    {IDC_RATE0, FieldKind::Number, u"再生速度", u"Playback speeds", true},
    {IDC_RATE1, FieldKind::Number, u"再生速度", u"Playback speeds", true},
    {IDC_RATE2, FieldKind::Number, u"再生速度", u"Playback speeds", true},
    {IDC_RATE3, FieldKind::Number, u"再生速度", u"Playback speeds", true},
    {IDC_RATE4, FieldKind::Number, u"再生速度", u"Playback speeds", true},
    {IDC_RATE5, FieldKind::Number, u"再生速度", u"Playback speeds", true},
    {IDC_SIZE0, FieldKind::Number, u"スクリーンサイズ", u"Screen sizes", true},
    {IDC_SIZE1, FieldKind::Number, u"スクリーンサイズ", u"Screen sizes", true},
    {IDC_SIZE2, FieldKind::Number, u"スクリーンサイズ", u"Screen sizes", true},
    {IDC_LIVE_TIMEOUT, FieldKind::Number, u"アプリ生存確認", u"App alive check"},
    {IDC_SERVER_LOG, FieldKind::Check, u"ログ出力 TamvikVR Server[Log].txt", u"Write the log TamvikVR Server[Log].txt"},
    {IDC_TRIM_PATH, FieldKind::Text, u"マーカー保存フォルダ", u"Marker folder"},
    {IDC_VRFORMAT_PATH, FieldKind::Text, u"VR Format 保存", u"VR format folder"},
    {IDC_SEARCH_LIST, FieldKind::Text, u"検索対象リスト", u"Search target list", false, false, true},
    {IDC_WORD_LIST, FieldKind::Text, u"ワードリスト", u"Word list", false, false, true},
    {IDC_FOLDER_LIST, FieldKind::Text, u"PCフォルダリスト", u"PC folder list", false, false, true},
    {IDC_PORT_SERVER, FieldKind::Number, u"ポート番号", u"Port", true, false, false, true},
    {IDC_PORT_HTTP, FieldKind::Number, u"ポート番号 (動画用)", u"Port (video)", true, false, false, true},
    {IDC_PORT_MOUSE, FieldKind::Number, u"ポート番号 (マウス)", u"Port (mouse)", true, false, false, true},
}};

// The number setting a field edits (check boxes included), or null for a text field.
template <class ConfigT>
auto* numberOf(ConfigT& config, int id) {
    switch (id) {
        case IDC_USE_PASSWORD:
            return &config.usePassword;
        case IDC_USE_MOUSE:
            return &config.useMouse;
        case IDC_MOUSE_SCALE:
            return &config.mouseScale;
        case IDC_SEEK_FORWARD:
            return &config.seekForward;
        case IDC_SEEK_BACKWARD:
            return &config.seekBackward;
        case IDC_RATE0:
            return &config.rates[0];
        case IDC_RATE1:
            return &config.rates[1];
        case IDC_RATE2:
            return &config.rates[2];
        case IDC_RATE3:
            return &config.rates[3];
        case IDC_RATE4:
            return &config.rates[4];
        case IDC_RATE5:
            return &config.rates[5];
        case IDC_SIZE0:
            return &config.sizes[0];
        case IDC_SIZE1:
            return &config.sizes[1];
        case IDC_SIZE2:
            return &config.sizes[2];
        case IDC_LIVE_TIMEOUT:
            return &config.liveTimeoutSec;
        case IDC_SERVER_LOG:
            return &config.serverLog;
        case IDC_PORT_SERVER:
            return &config.portServer;
        case IDC_PORT_HTTP:
            return &config.portHttp;
        case IDC_PORT_MOUSE:
            return &config.portMouse;
        default:
            return static_cast<decltype(&config.portMouse)>(nullptr);
    }
}

template <class ConfigT>
auto* textOf(ConfigT& config, int id) {
    switch (id) {
        case IDC_PASSWORD:
            return &config.password;
        case IDC_EXTENSIONS:
            return &config.extensions;
        case IDC_TRIM_PATH:
            return &config.trimPath;
        case IDC_VRFORMAT_PATH:
            return &config.vrFormatPath;
        case IDC_SEARCH_LIST:
            return &config.searchFolder1;
        case IDC_WORD_LIST:
            return &config.wordListPath;
        case IDC_FOLDER_LIST:
            return &config.pcFolderListPath;
        default:
            return static_cast<decltype(&config.password)>(nullptr);
    }
}

}  // namespace

const std::array<SettingsField, kSettingsFieldCount>& settingsFields() { return kFields; }

int settingsFieldIndex(int id) {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        if (kFields[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

SettingsFormValues settingsFormFrom(const core::Config& config) {
    SettingsFormValues values;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const SettingsField& field = kFields[i];
        if (field.kind == FieldKind::Check) {
            values[i].checked = *numberOf(config, field.id) == 1;
        } else if (field.kind == FieldKind::Number) {
            values[i].text = core::format(u"%d", {std::int64_t{*numberOf(config, field.id)}});
        } else {
            values[i].text = *textOf(config, field.id);
        }
    }
    return values;
}

std::optional<std::u16string> readSettingsForm(const SettingsFormValues& values, core::Config* config,
                                               std::optional<Language> language) {
    core::Config read = *config;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const SettingsField& field = kFields[i];
        if (field.kind == FieldKind::Check) {
            *numberOf(read, field.id) = values[i].checked ? 1 : 0;
        } else if (field.kind == FieldKind::Number) {
            std::int32_t number = core::scanInt32(values[i].text);
            // A port of 0 would leave the service unreachable after the next start.
            if (field.port && (number < 1 || number > 65535)) {
                TextId label = field.id == IDC_PORT_SERVER ? TextId::PortServerLabel
                               : field.id == IDC_PORT_HTTP ? TextId::PortHttpLabel
                                                           : TextId::PortMouseLabel;
                Language shown = language.value_or(textLanguage());
                return core::format(text(TextId::PortOutOfRange, shown), {text(label, shown)});
            }
            *numberOf(read, field.id) = number;
        } else {
            *textOf(read, field.id) = values[i].text;
        }
    }
    *config = std::move(read);
    return std::nullopt;
}

SettingsCommand routeSettingsCommand(int id) {
    switch (id) {
        case IDC_OK:
            return {SettingsAction::Accept};
        case IDC_CANCEL:
        case IDC_DIALOG_CLOSE:
            return {SettingsAction::Cancel};
        case IDC_TRIM_FOLDER:
            return {SettingsAction::ChooseFolder, IDC_TRIM_PATH};
        case IDC_VRFORMAT_FOLDER:
            return {SettingsAction::ChooseFolder, IDC_VRFORMAT_PATH};
        case IDC_SEARCH_LIST_EDIT:
            return {SettingsAction::OpenInNotepad, IDC_SEARCH_LIST};
        case IDC_WORD_LIST_EDIT:
            return {SettingsAction::OpenInNotepad, IDC_WORD_LIST};
        case IDC_FOLDER_LIST_EDIT:
            return {SettingsAction::OpenInNotepad, IDC_FOLDER_LIST};
        default:
            return {};
    }
}

}  // namespace tvr::ui
