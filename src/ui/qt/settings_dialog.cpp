// SPDX-License-Identifier: MIT
#include "ui/qt/settings_dialog.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <initializer_list>
#include <tuple>

#include "ui/dialog_ids.h"
#include "ui/qt/choosers.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/separator.h"
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

SettingsDialog::SettingsDialog(core::SettingsStore& settings, std::u16string executableFolder, QWidget* owner)
    : QDialog(owner), settings_(settings), executableFolder_(std::move(executableFolder)) {
    setWindowTitle(QStringLiteral(u"設定"));
    build();
    SettingsFormValues values = settingsFormFrom(settings_.config());
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto* box = qobject_cast<QCheckBox*>(fields_[i])) box->setChecked(values[i].checked);
        if (auto* line = qobject_cast<QLineEdit*>(fields_[i])) line->setText(toQString(values[i].text));
    }
    adjustSize();
    placeWindow(*this, owner, loadWindowRect(settings_.path(), kSettingsDialogSection));
}

void SettingsDialog::build() {
    auto digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const SettingsField& field = settingsFields()[i];
        if (field.kind == FieldKind::Check) {
            fields_[i] = new QCheckBox(toQString(field.label));
        } else {
            auto* line = new QLineEdit;
            if (field.digitsOnly) line->setValidator(digits);
            if (field.kind == FieldKind::Number) line->setMaximumWidth(72);
            if (field.masked) {
                line->setEchoMode(QLineEdit::Password);
                line->setMaximumWidth(160);
            }
            line->setReadOnly(field.readOnly);
            fields_[i] = line;
        }
        fields_[i]->setObjectName(QString::number(field.id));
    }
    auto* layout = new QVBoxLayout(this);
    auto addLine = [&](std::initializer_list<Item> items, int indent = 0) {
        auto* row = new QHBoxLayout;
        if (indent > 0) row->addSpacing(indent);
        for (const Item& item : items) {
            if (item.id == 0) {
                row->addWidget(new QLabel(toQString(item.text)));
                continue;
            }
            int index = settingsFieldIndex(item.id);
            row->addWidget(fields_[static_cast<std::size_t>(index)], settingsFields()[index].kind == FieldKind::Text);
        }
        row->addStretch(0);
        layout->addLayout(row);
    };
    auto button = [this](const char16_t* text, int id) {
        auto* push = new QPushButton(toQString(text));
        push->setObjectName(QString::number(id));
        push->setAutoDefault(false);
        connect(push, &QPushButton::clicked, this, [this, id] { run(routeSettingsCommand(id)); });
        return push;
    };
    auto addPathLine = [&](std::initializer_list<Item> labels, int editId, const char16_t* buttonText, int buttonId) {
        addLine(labels);
        auto* row = new QHBoxLayout;
        row->addWidget(fields_[static_cast<std::size_t>(settingsFieldIndex(editId))], 1);
        row->addWidget(button(buttonText, buttonId));
        layout->addLayout(row);
    };

    addLine({IDC_USE_PASSWORD});
    addLine({u"パスワード", IDC_PASSWORD, u"※ 数字のみ"}, 16);
    layout->addWidget(separator());
    addLine({IDC_USE_MOUSE});
    addLine({u"座標スケール (100)", IDC_MOUSE_SCALE, u"%"}, 16);
    addLine({u"※ Oculus GO QuestでタムヴィクVR使用中は"}, 16);
    addLine({u"パソコンのマウス操作が出来なくなります。"}, 28);
    addLine({u"※ CTRL+SHIFT+ALT+Dキーでパソコンの操作へ戻ります。"}, 16);
    layout->addWidget(separator());
    addLine({u"動画ファイル拡張子", IDC_EXTENSIONS});
    addLine({u"※ 半角スペースで区切る 【例】  \"mp4 avi flv\""}, 120);
    addLine({u"指定秒送り", u"送り (10)", IDC_SEEK_FORWARD, u"秒", u"戻し (-3)", IDC_SEEK_BACKWARD, u"秒"});
    addLine({u"再生速度", IDC_RATE0, IDC_RATE1, IDC_RATE2, IDC_RATE3, IDC_RATE4, IDC_RATE5, u"％"});
    addLine({u"スクリーンサイズ", IDC_SIZE0, IDC_SIZE1, IDC_SIZE2, u"％"});
    addLine({u"アプリ生存確認", IDC_LIVE_TIMEOUT, u"秒"});
    addLine({IDC_SERVER_LOG});
    layout->addWidget(separator());
    addPathLine({u"マーカー保存フォルダ", u"(trim)"}, IDC_TRIM_PATH, u"フォルダ", IDC_TRIM_FOLDER);
    addPathLine({u"VR Format 保存", u"(VRFormat)"}, IDC_VRFORMAT_PATH, u"フォルダ", IDC_VRFORMAT_FOLDER);
    addLine({u"※ サブフォルダ または 絶対パスを指定します。"});
    for (auto [label, editId, buttonId] : {std::tuple{u"検索対象リスト", IDC_SEARCH_LIST, IDC_SEARCH_LIST_EDIT},
                                           std::tuple{u"ワードリスト", IDC_WORD_LIST, IDC_WORD_LIST_EDIT},
                                           std::tuple{u"PCフォルダリスト", IDC_FOLDER_LIST, IDC_FOLDER_LIST_EDIT}}) {
        auto* row = new QHBoxLayout;
        auto* text = new QLabel(toQString(label));
        text->setMinimumWidth(110);
        row->addWidget(text);
        row->addWidget(fields_[static_cast<std::size_t>(settingsFieldIndex(editId))], 1);
        row->addWidget(button(u"編集", buttonId));
        layout->addLayout(row);
    }
    layout->addWidget(separator());
    addLine({u"ポート番号", IDC_PORT_SERVER, u"(初期値:11922)"});
    addLine({u"ポート番号 (動画用)", IDC_PORT_HTTP, u"(初期値:11921)"});
    addLine({u"ポート番号 (マウス)", IDC_PORT_MOUSE, u"(初期値:11923)"});
    addLine({u"※ ポート番号の設定を反映させるにはサーバーの再起動が必要"});
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QString::number(IDC_OK));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral(u"キャンセル"));
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
        openInEditor(notepadTarget(fromQString(line->text()), executableFolder_));
    }
}

void SettingsDialog::accept() {
    SettingsFormValues values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto* box = qobject_cast<QCheckBox*>(fields_[i])) values[i].checked = box->isChecked();
        if (auto* line = qobject_cast<QLineEdit*>(fields_[i])) values[i].text = fromQString(line->text());
    }
    if (auto refusal = readSettingsForm(values, &settings_.config())) {
        // Window-modal and without a wait of its own, so the dialog's event loop carries on.
        auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("TamvikVR Server"), toQString(*refusal),
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
        return;
    }
    settings_.save();
    QDialog::accept();
}

void SettingsDialog::done(int result) {
    core::WindowRect rect;
    if (currentRect(*this, &rect)) saveWindowRect(settings_.path(), kSettingsDialogSection, rect);
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

bool runSettingsDialog(core::SettingsStore& settings, std::u16string executableFolder, QWidget* owner) {
    SettingsDialog dialog(settings, std::move(executableFolder), owner);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tvr::ui::qt
