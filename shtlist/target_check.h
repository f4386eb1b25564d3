#pragma once

// The checks of the workbook named on the screen before a run, and the name
// rule of the workbook dialog, without widgets.

#include <QString>

namespace shtlist {

inline const QString kNoSuchFile = QStringLiteral("そのファイルは存在しません。");

// True when the file named by the box text (half-width spaces trimmed) can
// be read; otherwise shows "そのファイルは存在しません。" and answers false.
bool CheckTargetExists(const QString& boxText);

struct TargetCheck {
    bool ok = false; // every check passed (otherwise the reason has been shown)
    QString boxText; // the box text afterwards: a bare name is placed in the
                     // documents folder
};

// The checks of F12 in order: the file exists, the name is a workbook name
// (a bare name is moved to the documents folder), and a name so moved still
// names an existing file. When one fails the caller moves the focus to the box.
TargetCheck CheckTarget(const QString& boxText);

// The run parameter: the box text with half-width spaces trimmed.
QString TargetPath(const QString& boxText);

// The box text for a file chosen in the dialog: ".XLS" is appended to a file
// name whose fourth character from the end is not ".".
QString ChosenWorkbook(const QString& folder, const QString& fileName);

} // namespace shtlist
