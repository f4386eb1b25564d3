#pragma once

#include <QString>

namespace common {

// Checks that a full path names a file that the suite may read or create:
// no colon, none of \ , * ? < > |, no device name ("CON", "PRN", "AUX",
// "CLOCK$", "NUL", "COM0".."COM9", "LPT0".."LPT9", in any case and with any
// extension) as the name, and either an existing readable file or a missing
// file in an existing folder.
bool CheckFileName(const QString& path);

struct PathParts {
    QString folder; // up to and including the last separator; empty without one
    QString name;   // the rest
};

struct NameParts {
    QString folder;    // as PathParts::folder
    QString base;      // the name before its last "."
    QString extension; // after the last "."; empty without one (the dot belongs to neither)
};

// Splits at the last "/": the folder keeps its trailing separator.
PathParts SplitPath(const QString& path);
NameParts SplitExtension(const QString& path);

// True when the file can be opened for reading; false when it is missing,
// unreadable, a folder or in a missing folder.
bool FileExists(const QString& path);

} // namespace common
