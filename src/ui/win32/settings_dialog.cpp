// SPDX-License-Identifier: MIT
#include "ui/win32/settings_dialog.h"

#include "ui/dialog_ids.h"
#include "ui/settings_form.h"
#include "ui/win32/choosers.h"
#include "ui/win32/resource_language.h"
#include "ui/win32/win_text.h"
#include "ui/win32/window_placement.h"
#include "ui/window_rect_store.h"

namespace tvr::ui::win32 {
namespace {

class SettingsDialog {
public:
    SettingsDialog(Controller& controller, std::u16string executableFolder)
        : controller_(controller), executableFolder_(std::move(executableFolder)) {}

    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        return self == nullptr ? FALSE : self->handle(dialog, message, wParam);
    }

private:
    INT_PTR handle(HWND dialog, UINT message, WPARAM wParam) {
        switch (message) {
            case WM_INITDIALOG:
                init(dialog);
                return TRUE;
            case WM_COMMAND:
                return command(routeSettingsCommand(LOWORD(wParam)));
            case WM_DESTROY:
                keepRect();
                return FALSE;
            default:
                return FALSE;
        }
    }

    void init(HWND dialog) {
        dialog_ = dialog;
        placeWindow(dialog, GetWindow(dialog, GW_OWNER),
                    loadWindowRect(controller_.settings().path(), kSettingsDialogSection));
        SettingsFormValues values = settingsFormFrom(controller_.settings().config());
        for (std::size_t i = 0; i < values.size(); ++i) {
            const SettingsField& field = settingsFields()[i];
            if (field.kind == FieldKind::Check) {
                CheckDlgButton(dialog, field.id, values[i].checked ? BST_CHECKED : BST_UNCHECKED);
            } else {
                setItemText(dialog, field.id, values[i].text);
            }
        }
    }

    INT_PTR command(const SettingsCommand& command) {
        switch (command.action) {
            case SettingsAction::Accept:
                accept();
                return TRUE;
            case SettingsAction::Cancel:
                EndDialog(dialog_, FALSE);
                return TRUE;
            case SettingsAction::ChooseFolder:
                if (auto folder = chooseFolder(dialog_, nativeSeparators(itemText(dialog_, command.editId))))
                    setItemText(dialog_, command.editId, *folder);
                return TRUE;
            case SettingsAction::OpenInNotepad:
                openInNotepad(notepadTarget(itemText(dialog_, command.editId), executableFolder_));
                return TRUE;
            default:
                return FALSE;
        }
    }

    void accept() {
        SettingsFormValues values;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const SettingsField& field = settingsFields()[i];
            if (field.kind == FieldKind::Check) {
                values[i].checked = IsDlgButtonChecked(dialog_, field.id) == BST_CHECKED;
            } else {
                values[i].text = itemText(dialog_, field.id);
            }
        }
        if (auto refusal = readSettingsForm(values, &controller_.settings().config())) {
            MessageBoxW(dialog_, wide(*refusal).c_str(), L"TamvikVR Server", MB_OK | MB_ICONWARNING);
            return;
        }
        controller_.saveSettings();
        EndDialog(dialog_, TRUE);
    }

    void keepRect() {
        core::WindowRect rect;
        if (currentRect(dialog_, &rect)) controller_.keepWindowRect(kSettingsDialogSection, rect);
    }

    Controller& controller_;
    std::u16string executableFolder_;
    HWND dialog_ = nullptr;
};

}  // namespace

bool runSettingsDialog(HINSTANCE instance, HWND owner, Controller& controller, std::u16string executableFolder) {
    SettingsDialog dialog(controller, std::move(executableFolder));
    return DialogBoxIndirectParamW(instance, dialogTemplate(instance, IDD_SETTINGS), owner, SettingsDialog::procedure,
                                   reinterpret_cast<LPARAM>(&dialog)) == TRUE;
}

}  // namespace tvr::ui::win32
