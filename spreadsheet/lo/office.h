#pragma once

// A private, headless office process for one run and its UNO connection.

#include "spreadsheet/gate.h"
#include "spreadsheet/lo/uno.h"

#include <com/sun/star/frame/XDesktop2.hpp>

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <sys/types.h>

namespace sheet::lo {

// The office's program folder (where soffice.bin lives), empty when the
// office is not installed.
QString OfficeProgramDir();
// The office launcher (soffice) on PATH or in the standard folder, or empty.
using ::sheet::OfficeLauncher;

// The local UNO context, bootstrapped once per process.
Reference<css::uno::XComponentContext> LocalContext();

// Starts a process that is killed when this program dies (the parent death
// signal), with stdin/stdout/stderr on /dev/null and the file mode mask 077
// (what it creates, its pipe among them, is for this user alone).
// `environment` holds NAME=value entries that replace or add to this
// process's environment. Returns -1 on failure.
pid_t SpawnTied(const QString& program, const QStringList& arguments,
                const QStringList& environment = {});

// Why the office's pipe could not be kept to this user, or empty. For a user
// without an entry in the user database the office makes its pipe open to
// every local user (mode 0777), and whoever connects runs code as this user.
QString PipeSecurityProblem();

// The office's pipe socket files of a pipe name: where the office puts them
// (the shared temp folder, else /var/tmp; named with the user's id when the
// user database knows the user).
QStringList PipeSocketCandidates(const QString& pipeName);

// True when a socket file may only be reached by this user: a socket (not a
// link), owned by this user, with no access for group and others.
bool IsPrivateSocket(const QString& path);

// Pipe names of this program's own offices: "tamra_<pid>_<random>"; the pid
// lets a later start tell a dead run's leftovers from a live run's.
QString NewPipeName();

class OfficeInstance {
public:
    // Starts the office with its own profile (kept between runs under the
    // user's cache folder) and a unique pipe, and connects to it. Throws
    // SheetError when it cannot be started or does not answer in time.
    static std::unique_ptr<OfficeInstance> Start();
    ~OfficeInstance();

    OfficeInstance(const OfficeInstance&) = delete;
    OfficeInstance& operator=(const OfficeInstance&) = delete;

    const Reference<css::frame::XDesktop2>& Desktop() const { return desktop_; }
    const Reference<css::uno::XComponentContext>& Context() const { return context_; }
    pid_t Pid() const { return pid_; }
    // The socket file the office listens on.
    const QString& PipeSocket() const { return pipeSocket_; }
    bool IsAlive();
    // Asks the office to end, waits for it and kills it when it does not end
    // in time. Idempotent.
    void Terminate();
    // Ends the process at once (used when the instance was never used).
    void Kill();

private:
    OfficeInstance() = default;
    bool Reap(int waitMs);

    pid_t pid_ = -1;
    int exitCode_ = -1;
    void RemoveRunFiles();

    std::unique_ptr<QLockFile> profileLock_;
    QString tempDir_;
    QString pipeSocket_;
    Reference<css::uno::XComponentContext> context_;
    Reference<css::frame::XDesktop2> desktop_;
};

// Profile folder prefix of our private instances: processes whose
// -env:UserInstallation points below it are ours.
QString PrivateProfileRoot();

} // namespace sheet::lo
