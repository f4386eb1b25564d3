#pragma once

#include "common/seam.h"

#include <QString>
#include <QStringList>

namespace common {

// Starting other programs, ending this one and opening documents go through
// this seam, so that tests see the command lines instead of real processes.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // The executable to start for a program name, empty when there is none.
    // The product implementation is FindProgram below.
    virtual QString Locate(const QString& name);
    // Starts `program` (a resolved path) without waiting; true when started.
    virtual bool StartDetached(const QString& program, const QStringList& args,
                               const QString& workingFolder) = 0;
    // Ends the running program. The product implementation does not return.
    virtual void EndProcess(int code) = 0;
};

// The launcher in place; its default is the product implementation
// (QProcess::startDetached and a clean process exit).
Seam<ProcessLauncher>& ProcessLauncherSeam();

// Opens a file or web address with its associated program.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    virtual bool Open(const QString& target, const QString& parameters,
                      const QString& workingFolder) = 0;
};

// The opener in place; its default opens documents with xdg-open.
Seam<DocumentOpener>& DocumentOpenerSeam();

// Finds the executable of a program: a name with a separator is taken as a
// path; a bare name is looked for in this program's own folder only (never on
// PATH, where another program of the same name could stand first). Empty when
// there is none.
QString FindProgram(const QString& name);

// True for the identifiers of the suite's own programs: "HUBMENU", "COSTCMP",
// "BOOKMRG", "SHTLIST" and "COSTSUB", exactly so written.
bool IsSuiteProgram(const QString& id);

// The message shown when a program to start is not found.
QString NotFoundMessage(const QString& command);

// Hands over to another program of the suite: starts the program named by the
// bare identifier `command` (IsSuiteProgram) from this program's own folder
// and ends this program. An empty command, or a start that fails otherwise,
// returns silently and the caller goes on. A program that is not found, and
// any command that is not a suite identifier (a path, arguments, another
// name), is reported with "ｴﾗｰ53:<command>がありません" and this program ends
// as well.
void StartAndEnd(const QString& command);

// As StartAndEnd, but returns to the caller after the start. Answers true
// when the program was started. Programs run in their own folder, so file
// arguments are given as absolute paths.
bool StartProgram(const QString& command);

// Starts `program` (an executable's path, or a name in this program's own
// folder) with the given arguments, none of them re-parsed (for a spreadsheet
// file path with blanks, for instance); otherwise as StartProgram.
bool StartCommand(const QString& program, const QStringList& args);

// Ends this program through the seam (a clean process exit in the product).
void EndProgram(int code = 0);

// Opens a file or web address with its associated program; true when the
// opener took it. The callers do not need the answer.
bool OpenDocument(const QString& target, const QString& parameters = QString(),
                  const QString& workingFolder = QString());

} // namespace common
