#include "common/ui/app_init.h"

#include "common/locale_env.h"
#include "common/ui/fonts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

ProgramServices InitApplication(const QString& programId) {
    // Every program this one starts (the office, the desktop's opener) gets
    // a UTF-8 character set for Japanese file names.
    common::UseUtf8CharsetForChildren();
    InstallFontSubstitutes();
    QCoreApplication::setApplicationName(programId);
    common::SetProgramId(programId);

    // The standard dialogs (file dialog, its overwrite question) in Japanese,
    // whatever the desktop's language: Qt's texts, and the Japanese locale
    // for what Qt formats itself (dates, sizes and file types in the file
    // dialog's columns).
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    static QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    return ProgramServices();
}

} // namespace ui
