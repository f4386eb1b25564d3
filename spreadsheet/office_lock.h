#pragma once

// The office's lock files: while a document is open for editing in an office
// instance, ".~lock.<file name>#" beside it names who holds it (the user's
// name as the office knows it, the system user, the host, when it was opened
// and the profile of that instance).

#include <QString>

namespace sheet {

struct OfficeLock {
    QString userName;   // the name entered in the office, often empty
    QString systemUser; // the login name
    QString host;
    QString since;      // "08.12.2026 14:30" as the office writes it
    QString profileUrl; // file:///home/u/.config/libreoffice/4
};

// ".~lock.<name>#" in the folder of `document`.
QString OfficeLockPath(const QString& document);

// Reads a lock file; false when there is none or it cannot be read.
bool ReadOfficeLock(const QString& lockFile, OfficeLock* lock);

// Who holds the lock, for a message: "名前 (user@host、08.12.2026 14:30 から)".
QString DescribeHolder(const OfficeLock& lock);

// The folder of the suite's caches of this user (private profiles, records of
// runs): ~/.cache/TamrasystemHikaku.
QString SuiteCacheFolder();

// True when the lock names one of the suite's private profiles.
bool NamesSuiteProfile(const OfficeLock& lock);

// True when the lock names one of the suite's private profiles that no live
// run holds: a leftover of a killed run, not someone's open document.
bool IsDeadRunLock(const OfficeLock& lock);

// Why `document` may not be replaced: the office's lock file beside it (or
// beside another name of the same file in its folder) names someone who has
// it open (another user, another office of this user, a live run of the
// suite). Empty when there is no lock or it is a dead run's
// leftover, which is then removed. `shownPath` is the path the user knows.
QString ForeignLockMessage(const QString& document, const QString& shownPath);

} // namespace sheet
