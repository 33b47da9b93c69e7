// SPDX-License-Identifier: MIT
#include "ui/qt/translation.h"

#include <QCoreApplication>
#include <QTranslator>

#include "ui/window_texts.h"

namespace tvr::ui::qt {

bool useLanguage(Language language) {
    // One translator for the program's life; Japanese, the texts' own language, needs none.
    static QTranslator english;
    setTextLanguage(language);
    QCoreApplication::removeTranslator(&english);
    if (language == Language::Japanese) return true;
    if (english.isEmpty() && !english.load(QStringLiteral(":/tamvikvr/i18n/tamvikvr_en.qm"))) return false;
    return QCoreApplication::installTranslator(&english);
}

}  // namespace tvr::ui::qt
