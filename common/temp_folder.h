#pragma once

#include <QString>

namespace common {

// The shared temporary folder: TEMP when it is set to an absolute path,
// otherwise the system's (TMPDIR, else /tmp). Every local user can write
// there, so no file of the suite is put there directly.
QString SharedTempFolder();

// The user's own folder for the suite's work files (the calculator's
// WORK.TXT and work.xls, and what is saved beside them), inside the shared
// temporary folder: "TamrasystemHikaku-<uid>", made with mode 0700. An entry
// of that name that is not a real folder of this user with no access for
// anyone else (a link, a file, someone else's folder, a folder others may
// enter) is never used and never followed; the next name, "-2", "-3", ... is
// tried instead. Answers the folder's absolute path without a trailing
// separator, or an empty text with a Japanese reason in `error` when no such
// folder can be had.
QString PrivateTempFolder(QString* error = nullptr);

// `name` inside PrivateTempFolder(); empty (with the reason) when the folder
// cannot be had.
QString PrivateTempFile(const QString& name, QString* error = nullptr);

} // namespace common
