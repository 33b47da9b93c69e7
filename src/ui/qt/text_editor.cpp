// SPDX-License-Identifier: MIT
#include "ui/qt/text_editor.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "ui/qt/qt_text.h"

namespace tvr::ui::qt {
namespace {

// The user's editor ($VISUAL before $EDITOR, each possibly with its own arguments) in the first
// terminal emulator found; false when there is no editor or no terminal.
bool openInTerminalEditor(const QString& file) {
    QStringList editor;
    for (const char* name : {"VISUAL", "EDITOR"}) {
        editor = QProcess::splitCommand(qEnvironmentVariable(name));
        if (!editor.isEmpty()) break;
    }
    if (editor.isEmpty()) return false;
    for (const QString& terminal : {QStringLiteral("x-terminal-emulator"), QStringLiteral("xterm")}) {
        QString program = QStandardPaths::findExecutable(terminal);
        if (program.isEmpty()) continue;
        QStringList arguments{QStringLiteral("-e")};
        arguments << editor << file;
        return QProcess::startDetached(program, arguments);
    }
    return false;
}

}  // namespace

EditorOutcome openInEditor(std::u16string_view path) {
    const QString file = toQString(path);
    bool created = false;
    if (!QFileInfo::exists(file)) {
        // An empty file is valid UTF-8 and an empty list; NewOnly never replaces a file that
        // appeared meanwhile.
        QFile list(file);
        if (!list.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return EditorOutcome::Failed;
        created = true;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file)) && !openInTerminalEditor(file))
        return EditorOutcome::NoEditor;
    return created ? EditorOutcome::CreatedAndOpened : EditorOutcome::Opened;
}

}  // namespace tvr::ui::qt
