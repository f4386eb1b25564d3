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

// Asks the user's running instance to end: it is reached through a pipe that a
// second launcher start opens in it, and asked to terminate. A visible
// instance asks its user about unsaved documents itself; a headless one with
// unsaved documents is not asked at all, so nothing is ever discarded.
// Answers false when no instance runs.
bool AskUserInstanceToClose();

} // namespace sheet::lo
