// SPDX-License-Identifier: MIT
#include "ui/qt/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "ui/window_texts.h"

namespace tvr::ui::qt {

bool useLanguage(Language language) {
    // One translator each for the program's life. Our texts are written in Japanese and need one
    // only for English; Qt's own (the file chooser's buttons) are written in English and need
    // Qt's Japanese catalogue, where the system has it.
    static QTranslator english;
    static QTranslator qtJapanese;
    setTextLanguage(language);
    QCoreApplication::removeTranslator(&english);
    QCoreApplication::removeTranslator(&qtJapanese);
    if (language == Language::Japanese) {
        if (qtJapanese.isEmpty())
            (void)qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (!qtJapanese.isEmpty()) QCoreApplication::installTranslator(&qtJapanese);
        return true;
    }
    if (english.isEmpty() && !english.load(QStringLiteral(":/tamvikvr/i18n/tamvikvr_en.qm"))) return false;
    return QCoreApplication::installTranslator(&english);
}

}  // namespace tvr::ui::qt
