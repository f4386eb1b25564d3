#pragma once

// A record of the files a run makes outside its own private folders (working
// copies and save temps beside the user's workbooks, the office's lock files
// and pipe sockets), kept per process in the user's cache folder. A run that
// is killed cannot clean up after itself; the next start of any program of
// the suite removes what the records of dead runs name. A live run's files
// are never touched: a record is only read once the process that wrote it
// has gone.

#include <QString>
#include <QStringList>

namespace sheet {

// Adds a path to this process's record, before the file is made, so that a
// kill at any moment leaves nothing unnamed. Only names this suite makes are
// ever removed from a record: hidden working files (".~..."), the office's
// pipe sockets ("OSL_PIPE_...") and folders below the suite's cache folder.
void RecordRunFile(const QString& path);

// Removes the files named by the records of this user's runs on this host
// that have ended, and those records, and the temp folders of the private
// profiles that no live run holds. A lock file of the office
// (".~lock.<name>#") is removed only while it still names one of the suite's
// private profiles that no live run holds. Called at each program's start.
void RemoveDeadRunLeftovers();

// True when another process of this user runs the same program file as this
// process.
bool AnotherInstanceRuns();

// Removes the temp files a killed save of the program's own settings file
// left in the data folder ("<programId>.PRM.XXXXXX"), unless another instance
// of the program runs (it may be saving at this moment). Each program owns
// its settings file, so these names are its own.
void RemoveDeadSettingsTemps(const QString& dataFolder, const QString& programId);

// The folder of the records (for tests).
QString RunRecordFolder();

// True when a lock file of the office names one of the suite's private
// profiles that no live run of this user holds: the leftover of a dead run.
bool IsDeadRunOfficeLock(const QString& lockFile);

} // namespace sheet
