// SPDX-License-Identifier: MIT
#pragma once
// The modal settings dialog: every setting but the channels, saved on OK by the settings writer.
#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "ui/controller.h"
#include "ui/main_window_view.h"
#include "ui/settings_form.h"

class QCheckBox;
class QLineEdit;

namespace tvr::ui::qt {

class SettingsDialog final : public QDialog {
public:
    /// What became of "編集" on a list file, for the main window to tell.
    using EditReport = std::function<void(std::u16string_view path, EditorOutcome outcome)>;

    /// The dialog over the owner, filled from the settings and placed as it was last time.
    SettingsDialog(Controller& controller, std::u16string executableFolder, QWidget* owner, EditReport edited = {});

    /// OK: reads every field into the settings and saves them; a port that is not one is refused
    /// with a message and the dialog stays open.
    void accept() override;
    /// Every way of closing keeps the dialog's rectangle.
    void done(int result) override;

    /// The edit of a field's control id, or null.
    QLineEdit* edit(int id) const;
    /// The check box of a field's control id, or null.
    QCheckBox* check(int id) const;

private:
    void build();
    void run(const SettingsCommand& command);

    Controller& controller_;
    std::u16string executableFolder_;
    EditReport edited_;
    std::array<QWidget*, kSettingsFieldCount> fields_{};
};

/// Runs the dialog; true when the user pressed OK and the settings were handed to the writer.
bool runSettingsDialog(Controller& controller, std::u16string executableFolder, QWidget* owner,
                       SettingsDialog::EditReport edited);

}  // namespace tvr::ui::qt
