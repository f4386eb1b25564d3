#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace e2e {

// One test's sandbox: its own data folder (APPDATA) and a mark in the
// environment of every program it starts, inherited by the programs those
// start in turn, so that the session finds and ends all of them afterwards.
// With SUITE_E2E_FRESH_HOME set, the programs instead get a new home folder
// as an account comes (no ~/.local/share) and no APPDATA, TEMP, TMPDIR, XDG
// or locale variables: the data folder is then made by the programs.
class Session {
public:
    static bool FreshHome();
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool IsValid() const { return temp_.isValid(); }

    // The folder of the built programs.
    static QString BinFolder();
    static bool ProgramBuilt(const QString& name);

    // Copies the named programs (and nothing else) into a new folder of the
    // sandbox and answers that folder.
    QString CopyPrograms(const QStringList& names);

    // Starts a program of `folder` with the sandbox's environment.
    QProcess* Start(const QString& program, const QString& folder = BinFolder());

    // Waits for a program started with Start to end; its exit code, or -1.
    int WaitForExit(QProcess* process, int timeoutMs);

    // The programs of this session still running, by name ("HUBMENU").
    QStringList RunningPrograms() const;
    // Polls until no program of that name runs in this session.
    bool WaitUntilGone(const QString& name, int timeoutMs) const;

    QString DataFolder() const;
    // The home folder of the programs when FreshHome() is set.
    QString HomeFolder() const;
    // The bytes of a file in the data folder; a missing file reads as null.
    QByteArray DataFile(const QString& name) const;
    // The command registered for `id` in MODORI.DAT, empty when none is.
    QString ReturnTarget(const QString& id) const;

    // Sets a variable for the programs started from now on.
    void SetEnv(const QString& name, const QString& value) { env_.insert(name, value); }
    // A new folder of the sandbox (with its parents).
    QString Folder(const QString& relative) const;

    // Ends every program of this session still running.
    void KillAll();

private:
    QList<qint64> SessionPids() const;

    QTemporaryDir temp_;
    QString mark_;
    QProcessEnvironment env_;
    QList<QProcess*> started_;
};

} // namespace e2e
