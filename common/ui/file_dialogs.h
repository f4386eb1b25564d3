#pragma once

#include "common/seam.h"

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace ui {

// The standard file dialogs of the workbook tools. Each answers what was
// chosen, or nothing when the dialog was cancelled or failed, and shows no
// message of its own.

// One chosen file, split at its last separator.
struct ChosenFile {
    QString folder;   // with its trailing separator
    QString fileName; // the name in it
};

struct ChosenFiles {
    QString folder;    // with its trailing separator
    QString fileName;  // one file: its name; several: the whole answer
    QStringList paths; // the full paths, in the order the dialog gives them
};

// Opens several files.
std::optional<ChosenFiles> OpenFilesDialog(QWidget* owner, const QString& initialFolder,
                                           const QString& initialFileName, const QString& pattern,
                                           const QString& defaultExtension);

// Opens one existing file.
std::optional<ChosenFile> OpenFileDialog(QWidget* owner, const QString& initialFolder,
                                         const QString& initialFileName, const QString& pattern,
                                         const QString& defaultExtension);

// Chooses a file to save to, asking before an existing file is taken.
std::optional<ChosenFile> SaveFileDialog(QWidget* owner, const QString& initialFolder,
                                         const QString& initialFileName, const QString& pattern,
                                         const QString& defaultExtension);

inline const QString kOpenTitle = QStringLiteral("ファイル読込");
inline const QString kSaveTitle = QStringLiteral("ファイル保存");

// ---- The rules, without a dialog -------------------------------------------

// The filter text of a dialog for a pattern: "(" + p + ")|" + p. An empty
// pattern gives the fixed list of the open dialogs when `fixedListWhenEmpty`;
// a pattern holding "|" is a whole filter list and is taken as it is.
QString DialogFilter(const QString& pattern, bool fixedListWhenEmpty);

// The filter text ("description|pattern|description|pattern...") as Qt's
// name filters ("description (patterns)"). "*.*" means every file.
QStringList ToQtNameFilters(const QString& filter);

// The answer of a multi-select dialog for the chosen paths: one path as it is;
// several as their folder and their names, separated by NUL characters.
QString MultiSelectAnswer(const QStringList& paths);

// Reads a multi-select dialog's answer (after TrimBlanks): without NUL it is
// one path; otherwise the first non-empty piece is the folder and every later
// non-empty piece a name in it.
ChosenFiles ReadMultiSelectAnswer(const QString& answer);

// ---- The seam ----------------------------------------------------------------

enum class FileDialogKind { OpenFile, OpenFiles, SaveFile };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::OpenFile;
    QString title;
    QString filter; // "description|pattern|..." as DialogFilter makes it
    QString defaultExtension;
    QString initialFolder;
    QString initialFileName;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Shows the dialog. True with the answer: the chosen path, or for several
    // files the MultiSelectAnswer; false when cancelled or failed.
    virtual bool Run(QWidget* owner, const FileDialogRequest& request, QString* answer) = 0;
};

// The dialogs in place; the default is the standard dialog.
common::Seam<FileDialogService>& FileDialogSeam();

} // namespace ui
