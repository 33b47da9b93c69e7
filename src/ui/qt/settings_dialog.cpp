// SPDX-License-Identifier: MIT
#include "ui/qt/settings_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <initializer_list>
#include <tuple>

#include "ui/dialog_ids.h"
#include "ui/qt/choosers.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/separator.h"
#include "ui/qt/text_editor.h"
#include "ui/qt/window_placement.h"
#include "ui/window_rect_store.h"

namespace tvr::ui::qt {
namespace {

// One line of the dialog: texts become labels, numbers the field or button of that control id.
struct Item {
    std::u16string_view text;
    int id = 0;
    Item(const char16_t* label) : text(label) {}
    Item(int control) : id(control) {}
};

}  // namespace

SettingsDialog::SettingsDialog(Controller& controller, std::u16string executableFolder, QWidget* owner,
                               EditReport edited)
    : QDialog(owner),
      controller_(controller),
      executableFolder_(std::move(executableFolder)),
      edited_(std::move(edited)) {
    setWindowTitle(translated(u"設定"));
    build();
    SettingsFormValues values = settingsFormFrom(controller_.settings().config());
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto* box = qobject_cast<QCheckBox*>(fields_[i])) box->setChecked(values[i].checked);
        if (auto* line = qobject_cast<QLineEdit*>(fields_[i])) line->setText(toQString(values[i].text));
    }
    adjustSize();
    placeWindow(*this, owner, loadWindowRect(controller_.settings().path(), kSettingsDialogSection));
}

void SettingsDialog::build() {
    auto digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const SettingsField& field = settingsFields()[i];
        if (field.kind == FieldKind::Check) {
            fields_[i] = new QCheckBox(translated(field.label));
        } else {
            auto* line = new QLineEdit;
            if (field.digitsOnly) line->setValidator(digits);
            if (field.kind == FieldKind::Number) line->setMaximumWidth(72);
            if (field.masked) {
                line->setEchoMode(QLineEdit::Password);
                line->setMaximumWidth(160);
            }
            line->setReadOnly(field.readOnly);
            if (field.readOnly) {
                // Grey as the Windows dialog's read-only edits, so nobody tries to type there.
                QPalette palette = line->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
                line->setPalette(palette);
                line->setFocusPolicy(Qt::ClickFocus);
            }
            fields_[i] = line;
        }
        fields_[i]->setObjectName(QString::number(field.id));
    }
    // Two columns as in the Windows dialog: the labels, then the fields with their units.
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setColumnMinimumWidth(0, 130);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    int line = 0;
    auto wide = [&](QWidget* widget, int indent = 0) {
        auto* row = new QHBoxLayout;
        row->addSpacing(indent);
        row->addWidget(widget, 1);
        grid->addLayout(row, line++, 0, 1, 2);
    };
    auto field = [&](int id) {
        int index = settingsFieldIndex(id);
        return std::pair{fields_[static_cast<std::size_t>(index)], settingsFields()[index].kind == FieldKind::Text};
    };
    // The first text goes to the label column (indented as given); the rest to the field column.
    auto addLine = [&](std::initializer_list<Item> items, int indent = 0) {
        auto item = items.begin();
        if (item != items.end() && item->id == 0) {
            auto* label = new QLabel(translated(item->text));
            label->setIndent(indent);
            grid->addWidget(label, line, 0);
            ++item;
        }
        auto* row = new QHBoxLayout;
        bool stretches = false;
        for (; item != items.end(); ++item) {
            if (item->id == 0) {
                row->addWidget(new QLabel(translated(item->text)));
                continue;
            }
            auto [widget, text] = field(item->id);
            row->addWidget(widget, text ? 1 : 0);
            stretches = stretches || text;
        }
        if (!stretches) row->addStretch(1);
        grid->addLayout(row, line++, 1);
    };
    auto hint = [&](const char16_t* text, int indent) { wide(new QLabel(translated(text)), indent); };
    auto button = [this](const char16_t* text, int id) {
        auto* push = new QPushButton(translated(text));
        push->setObjectName(QString::number(id));
        push->setAutoDefault(false);
        connect(push, &QPushButton::clicked, this, [this, id] { run(routeSettingsCommand(id)); });
        return push;
    };
    auto pathLine = [&](int editId, const char16_t* buttonText, int buttonId) {
        auto* row = new QHBoxLayout;
        row->addWidget(field(editId).first, 1);
        row->addWidget(button(buttonText, buttonId));
        return row;
    };

    wide(fields_[static_cast<std::size_t>(settingsFieldIndex(IDC_USE_PASSWORD))]);
    addLine({u"パスワード", IDC_PASSWORD, u"※ 数字のみ"}, 16);
    wide(separator());
    wide(fields_[static_cast<std::size_t>(settingsFieldIndex(IDC_USE_MOUSE))]);
    addLine({u"座標スケール (100)", IDC_MOUSE_SCALE, u"%"}, 16);
    hint(u"※ VRヘッドセットでタムヴィクVR使用中は", 16);
    hint(u"パソコンのマウス操作が出来なくなります。", 28);
    hint(u"※ CTRL+SHIFT+ALT+Dキーでパソコンの操作へ戻ります。", 16);
    wide(separator());
    addLine({u"動画ファイル拡張子", IDC_EXTENSIONS});
    grid->addWidget(new QLabel(translated(u"※ 半角スペースで区切る 【例】  \"mp4 avi flv\"")), line++, 1);
    addLine({u"指定秒送り", u"送り (10)", IDC_SEEK_FORWARD, u"秒", u"戻し (-3)", IDC_SEEK_BACKWARD, u"秒"});
    addLine({u"再生速度", IDC_RATE0, IDC_RATE1, IDC_RATE2, IDC_RATE3, IDC_RATE4, IDC_RATE5, u"％"});
    addLine({u"スクリーンサイズ", IDC_SIZE0, IDC_SIZE1, IDC_SIZE2, u"％"});
    addLine({u"アプリ生存確認", IDC_LIVE_TIMEOUT, u"秒"});
    wide(fields_[static_cast<std::size_t>(settingsFieldIndex(IDC_SERVER_LOG))]);
    wide(separator());
    for (auto [label, small, editId, buttonId] :
         {std::tuple{u"マーカー保存フォルダ", u"(trim)", IDC_TRIM_PATH, IDC_TRIM_FOLDER},
          std::tuple{u"VR Format 保存", u"(VRFormat)", IDC_VRFORMAT_PATH, IDC_VRFORMAT_FOLDER}}) {
        addLine({label, small});
        grid->addLayout(pathLine(editId, u"フォルダ", buttonId), line++, 0, 1, 2);
    }
    hint(u"※ サブフォルダ または 絶対パスを指定します。", 0);
    for (auto [label, editId, buttonId] : {std::tuple{u"検索対象リスト", IDC_SEARCH_LIST, IDC_SEARCH_LIST_EDIT},
                                           std::tuple{u"ワードリスト", IDC_WORD_LIST, IDC_WORD_LIST_EDIT},
                                           std::tuple{u"PCフォルダリスト", IDC_FOLDER_LIST, IDC_FOLDER_LIST_EDIT}}) {
        grid->addWidget(new QLabel(translated(label)), line, 0);
        grid->addLayout(pathLine(editId, u"編集", buttonId), line++, 1);
    }
    wide(separator());
    addLine({u"ポート番号", IDC_PORT_SERVER, u"(初期値:11922)"});
    addLine({u"ポート番号 (動画用)", IDC_PORT_HTTP, u"(初期値:11921)"});
    addLine({u"ポート番号 (マウス)", IDC_PORT_MOUSE, u"(初期値:11923)"});
    hint(u"※ ポート番号の設定を反映させるにはサーバーの再起動が必要", 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QString::number(IDC_OK));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(translated(u"キャンセル"));
    cancel->setObjectName(QString::number(IDC_CANCEL));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void SettingsDialog::run(const SettingsCommand& command) {
    QLineEdit* line = edit(command.editId);
    if (line == nullptr) return;
    if (command.action == SettingsAction::ChooseFolder) {
        if (auto folder = chooseFolder(this, nativeSeparators(fromQString(line->text()))))
            line->setText(toQString(*folder));
    } else if (command.action == SettingsAction::OpenInNotepad) {
        std::u16string target = notepadTarget(fromQString(line->text()), executableFolder_);
        EditorOutcome outcome = openInEditor(target);
        if (edited_) edited_(target, outcome);
    }
}

void SettingsDialog::accept() {
    SettingsFormValues values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto* box = qobject_cast<QCheckBox*>(fields_[i])) values[i].checked = box->isChecked();
        if (auto* line = qobject_cast<QLineEdit*>(fields_[i])) values[i].text = fromQString(line->text());
    }
    if (auto refusal = readSettingsForm(values, &controller_.settings().config())) {
        // Window-modal and without a wait of its own, so the dialog's event loop carries on.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("TamvikVR Server"), toQString(*refusal),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    controller_.saveSettings();
    QDialog::accept();
}

void SettingsDialog::done(int result) {
    core::WindowRect rect;
    if (currentRect(*this, &rect)) controller_.keepWindowRect(kSettingsDialogSection, rect);
    QDialog::done(result);
}

QLineEdit* SettingsDialog::edit(int id) const {
    int index = settingsFieldIndex(id);
    return index < 0 ? nullptr : qobject_cast<QLineEdit*>(fields_[static_cast<std::size_t>(index)]);
}

QCheckBox* SettingsDialog::check(int id) const {
    int index = settingsFieldIndex(id);
    return index < 0 ? nullptr : qobject_cast<QCheckBox*>(fields_[static_cast<std::size_t>(index)]);
}

bool runSettingsDialog(Controller& controller, std::u16string executableFolder, QWidget* owner,
                       SettingsDialog::EditReport edited) {
    SettingsDialog dialog(controller, std::move(executableFolder), owner, std::move(edited));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tvr::ui::qt
