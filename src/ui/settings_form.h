// SPDX-License-Identifier: MIT
#pragma once
// The settings dialog as data: its fields in dialog order with the setting each one edits, the
// texts it opens with, reading the texts back on OK, and what each of its buttons does.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "ui/language.h"

namespace tvr::ui {

enum class FieldKind { Check, Number, Text };

/// One control of the dialog that edits a setting.
struct SettingsField {
    int id;  // control id
    FieldKind kind;
    std::u16string_view label;    // as the dialog shows it
    std::u16string_view english;  // as the English dialog shows it
    bool digitsOnly = false;      // the edit takes digits only
    bool masked = false;          // the edit hides what is typed
    bool readOnly = false;        // the edit is changed through its "編集" file only
    bool port = false;            // refused at OK unless 1 to 65535
};

inline constexpr std::size_t kSettingsFieldCount = 26;
/// Every field in dialog order, top to bottom.
const std::array<SettingsField, kSettingsFieldCount>& settingsFields();

/// What one control shows: a check box its state, an edit its text.
struct FieldValue {
    std::u16string text;
    bool checked = false;
    bool operator==(const FieldValue&) const = default;
};
using SettingsFormValues = std::array<FieldValue, kSettingsFieldCount>;

/// The controls as the settings fill them: checked when a value is 1, numbers in signed decimal.
SettingsFormValues settingsFormFrom(const core::Config& config);
/// Reads the controls into the settings: text that is no number gives 0. A port outside 1 to
/// 65535 refuses the whole form: the message naming the field comes back (in `language`, the
/// program's unless a web page asks in its browser's), nothing is changed.
std::optional<std::u16string> readSettingsForm(const SettingsFormValues& values, core::Config* config,
                                               std::optional<Language> language = std::nullopt);
/// The index of the field with the control id, or -1.
int settingsFieldIndex(int id);

enum class SettingsAction { None, Accept, Cancel, ChooseFolder, OpenInNotepad };
/// What a button of the dialog does, and the edit it works on.
struct SettingsCommand {
    SettingsAction action = SettingsAction::None;
    int editId = 0;
    bool operator==(const SettingsCommand&) const = default;
};
/// The action of a dialog command id.
SettingsCommand routeSettingsCommand(int id);

}  // namespace tvr::ui
