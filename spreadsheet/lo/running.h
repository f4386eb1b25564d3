#pragma once

// Office instances the user runs (not our private ones) and asking them to
// close.

#include <QList>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace sheet::lo {

struct OfficeProcessInfo {
    pid_t pid = 0;
    bool headless = false;
};

// Whether a command line is one of the user's own instances: soffice.bin
// running on the user's profile. Instances started with their own profile
// (-env:UserInstallation=..., as ours, conversions and tests do) do not share
// anything with ours and are left alone.
bool IsUserInstanceCommandLine(const QStringList& arguments);

// The user's running instances, found in /proc (processes of this user only;
// zombies are skipped).
QList<OfficeProcessInfo> FindUserInstances();

enum class CloseRequest {
    NotRunning, // no instance of the user runs
    Asked,      // asked to end, and it agreed (or is ending)
    Refused,    // it stays: its user answered Cancel to the question about
                // unsaved documents, or nobody could be asked without losing them
};

// Asks the user's running instance, once, to end. It is reached through a
// pipe that a second launcher start opens in it: a pipe of a random name,
// made private to this user as soon as it appears, and closed again
// (--unaccept) when the instance stays. A visible instance asks its user
// about unsaved documents itself; a headless one with unsaved documents is
// not asked at all, so nothing is ever discarded. For a user the user
// database does not know, the instance's pipe would be open to everyone: it
// is not asked then.
CloseRequest AskUserInstanceToClose();

} // namespace sheet::lo
