#include "common/ui/file_dialogs.h"
#include "common/events.h"

#include "common/paths.h"
#include "common/text.h"
#include "common/ui/standard_file_dialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ui {

namespace {

const QChar kNul(u'\0');
const QChar kSeparator(u'/');

// Runs the dialog; the trimmed answer, or empty when there is none.
QString Ask(QWidget* owner, FileDialogKind kind, const QString& title, const QString& filter,
            const QString& initialFolder, const QString& initialFileName,
            const QString& defaultExtension) {
    FileDialogRequest request;
    request.kind = kind;
    request.title = title;
    request.filter = filter;
    request.defaultExtension = defaultExtension;
    request.initialFolder = initialFolder;
    request.initialFileName = initialFileName;
    QString answer;
    if (!FileDialogSeam()->Run(owner, request, &answer))
        return QString();
    return common::TrimBlanks(answer);
}

std::optional<ChosenFile> OneFile(QWidget* owner, FileDialogKind kind, const QString& title,
                                  const QString& filter, const QString& initialFolder,
                                  const QString& initialFileName, const QString& defaultExtension) {
    const QString answer =
        Ask(owner, kind, title, filter, initialFolder, initialFileName, defaultExtension);
    if (answer.isEmpty())
        return std::nullopt;
    const common::PathParts parts = common::SplitPath(answer);
    common::LetEventsRun(1);
    return ChosenFile{parts.folder, parts.name};
}

} // namespace

QString DialogFilter(const QString& pattern, bool fixedListWhenEmpty) {
    if (pattern.isEmpty() && fixedListWhenEmpty) {
        return QStringLiteral("(*.PRN)|*.PRN|(*.TXT)|*.TXT|(*.CSV)|*.CSV|(*.DAT)|*.DAT|全て|*.*");
    }
    // A pattern that holds a bar is a whole filter list already.
    if (pattern.contains(QLatin1Char('|')))
        return pattern;
    return QStringLiteral("(") + pattern + QStringLiteral(")|") + pattern;
}

QStringList ToQtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QChar(u'|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QStringList patterns = parts.at(i + 1).split(QChar(u';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // Names without an extension exist here: every file is "*".
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        const QString qtPatterns = patterns.join(QChar(u' '));
        // "(*.xls)" already reads as Qt's "description (patterns)"; a
        // description that only lists the patterns ("(*.xls;*.ods)") is
        // shown in Qt's spelling of them.
        if (description == QStringLiteral("(") + qtPatterns + QStringLiteral(")") ||
            description == QStringLiteral("(") + parts.at(i + 1).trimmed() + QStringLiteral(")"))
            out.append(QStringLiteral("(") + qtPatterns + QStringLiteral(")"));
        else
            out.append(description + QStringLiteral(" (") + qtPatterns + QStringLiteral(")"));
    }
    return out;
}

QString MultiSelectAnswer(const QStringList& paths) {
    if (paths.isEmpty())
        return QString();
    if (paths.size() == 1)
        return paths.first();
    QString answer = QFileInfo(paths.first()).absolutePath();
    for (const QString& path : paths)
        answer += kNul + QFileInfo(path).fileName();
    return answer;
}

ChosenFiles ReadMultiSelectAnswer(const QString& answer) {
    ChosenFiles chosen;
    chosen.fileName = answer;
    if (!answer.contains(kNul)) {
        const common::PathParts parts = common::SplitPath(answer);
        chosen.folder = parts.folder;
        chosen.fileName = parts.name;
        chosen.paths.append(answer);
        return chosen;
    }
    bool haveFolder = false;
    for (const QString& piece : answer.split(kNul)) {
        if (piece.isEmpty())
            continue;
        if (!haveFolder) {
            chosen.folder = piece.endsWith(kSeparator) ? piece : piece + kSeparator;
            haveFolder = true;
        } else {
            chosen.paths.append(chosen.folder + piece);
        }
    }
    return chosen;
}

std::optional<ChosenFiles> OpenFilesDialog(QWidget* owner, const QString& initialFolder,
                                           const QString& initialFileName, const QString& pattern,
                                           const QString& defaultExtension) {
    const QString answer =
        Ask(owner, FileDialogKind::OpenFiles, kOpenTitle, DialogFilter(pattern, true),
            initialFolder, initialFileName, defaultExtension);
    if (answer.isEmpty())
        return std::nullopt;
    ChosenFiles chosen = ReadMultiSelectAnswer(answer);
    common::LetEventsRun(1);
    return chosen;
}

std::optional<ChosenFile> OpenFileDialog(QWidget* owner, const QString& initialFolder,
                                         const QString& initialFileName, const QString& pattern,
                                         const QString& defaultExtension) {
    return OneFile(owner, FileDialogKind::OpenFile, kOpenTitle, DialogFilter(pattern, true),
                   initialFolder, initialFileName, defaultExtension);
}

std::optional<ChosenFile> SaveFileDialog(QWidget* owner, const QString& initialFolder,
                                         const QString& initialFileName, const QString& pattern,
                                         const QString& defaultExtension) {
    return OneFile(owner, FileDialogKind::SaveFile, kSaveTitle, DialogFilter(pattern, false),
                   initialFolder, initialFileName, defaultExtension);
}

common::Seam<FileDialogService>& FileDialogSeam() {
    static StandardFileDialog standard;
    static common::Seam<FileDialogService> seam(standard);
    return seam;
}

} // namespace ui
