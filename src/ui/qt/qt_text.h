// SPDX-License-Identifier: MIT
#pragma once
// Text between the program's UTF-16 strings and Qt's.
#include <QCoreApplication>
#include <QString>
#include <string>
#include <string_view>

namespace tvr::ui::qt {

/// The text as a QString.
inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

/// A text the Qt windows spell themselves, in the program's language: the Japanese text, or its
/// translation from the installed catalogue (src/ui/qt/tamvikvr_en.ts).
inline QString translated(std::u16string_view japanese) {
    return QCoreApplication::translate("tvr::ui::qt", toQString(japanese).toUtf8().constData());
}

/// The QString as the program's text.
inline std::u16string fromQString(const QString& text) { return text.toStdU16String(); }

}  // namespace tvr::ui::qt
