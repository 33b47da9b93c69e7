// SPDX-License-Identifier: MIT
#include "ui/qt/choosers.h"

#include <QDir>
#include <QFileDialog>

#include "ui/qt/qt_text.h"

namespace tvr::ui::qt {

std::optional<std::u16string> chooseListFile(QWidget* owner, const ListFileStart& start) {
    QString initial = QDir(toQString(start.folder)).filePath(toQString(start.fileName));
    QFileDialog dialog(owner, translated(u"ファイル選択"), initial,
                       QStringLiteral(u"TamvikVR Files(*.vrl);;All Files(*.*)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral(u"vrl"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return fromQString(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

std::optional<std::u16string> chooseFolder(QWidget* owner, std::u16string_view start) {
    QFileDialog dialog(owner, QStringLiteral(u"Open Folder"), toQString(start));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return fromQString(QDir::toNativeSeparators(dialog.selectedFiles().front()));
}

}  // namespace tvr::ui::qt
