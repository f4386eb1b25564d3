#include "e2e/session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QUuid>

#include <csignal>
#include <sys/types.h>

namespace e2e {

namespace {

const char kMarkName[] = "SUITE_E2E_SESSION";

// Reads a small /proc file; empty when the process is gone or not ours.
QByteArray ProcFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

bool Session::FreshHome() {
    return qEnvironmentVariableIsSet("SUITE_E2E_FRESH_HOME");
}

Session::Session() : mark_(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    env_ = QProcessEnvironment::systemEnvironment();
    if (FreshHome()) {
        // As an account comes: a home without ~/.local/share, and no APPDATA,
        // TEMP, TMPDIR, XDG folders or locale set.
        for (const QString& name : env_.keys())
            if (name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") ||
                name.startsWith(QLatin1String("LC_")) || name.startsWith(QLatin1String("XDG_")))
                env_.remove(name);
        for (const char* name : {"APPDATA", "TEMP", "TMPDIR"})
            env_.remove(QString::fromLatin1(name));
        env_.insert(QStringLiteral("HOME"), temp_.filePath(QStringLiteral("home")));
        QDir().mkpath(temp_.filePath(QStringLiteral("home")));
    } else {
        env_.insert(QStringLiteral("APPDATA"), temp_.filePath(QStringLiteral("appdata")));
        QDir().mkpath(temp_.filePath(QStringLiteral("appdata")));
    }
    env_.insert(QString::fromLatin1(kMarkName), mark_);
    // The programs run on the real (virtual) display, not offscreen.
    env_.remove(QStringLiteral("QT_QPA_PLATFORM"));
}

Session::~Session() {
    KillAll();
    qDeleteAll(started_);
}

QString Session::BinFolder() {
    return qEnvironmentVariable("SUITE_BIN_DIR");
}

bool Session::ProgramBuilt(const QString& name) {
    const QFileInfo info(QDir(BinFolder()).filePath(name));
    return info.isFile() && info.isExecutable();
}

QString Session::CopyPrograms(const QStringList& names) {
    const QString folder = temp_.filePath(QStringLiteral("programs"));
    QDir().mkpath(folder);
    for (const QString& name : names)
        QFile::copy(QDir(BinFolder()).filePath(name), QDir(folder).filePath(name));
    return folder;
}

QProcess* Session::Start(const QString& program, const QString& folder) {
    auto* process = new QProcess;
    process->setProcessEnvironment(env_);
    process->setWorkingDirectory(folder);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QDir(folder).filePath(program), {});
    process->waitForStarted(10000);
    started_.append(process);
    return process;
}

int Session::WaitForExit(QProcess* process, int timeoutMs) {
    if (process->state() != QProcess::NotRunning && !process->waitForFinished(timeoutMs))
        return -1;
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
}

QList<qint64> Session::SessionPids() const {
    const QByteArray wanted = QByteArray(kMarkName) + '=' + mark_.toLatin1();
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number)
            continue;
        const QList<QByteArray> vars = ProcFile(pid, "environ").split('\0');
        if (vars.contains(wanted))
            pids.append(pid);
    }
    return pids;
}

QStringList Session::RunningPrograms() const {
    QStringList names;
    for (qint64 pid : SessionPids()) {
        const QByteArray stat = ProcFile(pid, "stat");
        // A process that has ended but is not yet reaped does not count.
        const int close = stat.lastIndexOf(')');
        if (close > 0 && stat.mid(close + 2, 1) == "Z")
            continue;
        names.append(QString::fromLocal8Bit(ProcFile(pid, "comm")).trimmed());
    }
    return names;
}

bool Session::WaitUntilGone(const QString& name, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    do {
        if (!RunningPrograms().contains(name))
            return true;
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

QString Session::DataFolder() const {
    return temp_.filePath(FreshHome() ? QStringLiteral("home/.local/share/TamrasystemHikaku")
                                      : QStringLiteral("appdata/TamrasystemHikaku"));
}

QString Session::Folder(const QString& relative) const {
    const QString path = temp_.filePath(relative);
    QDir().mkpath(path);
    return path;
}

QString Session::HomeFolder() const {
    return temp_.filePath(QStringLiteral("home"));
}

QByteArray Session::DataFile(const QString& name) const {
    QFile file(QDir(DataFolder()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Session::ReturnTarget(const QString& id) const {
    // MODORI.DAT: 256 slots; commands at offset 768, callers at 2816, 8 bytes each.
    const QByteArray table = DataFile(QStringLiteral("MODORI.DAT"));
    const QByteArray key = id.toLatin1().leftJustified(8, ' ', true);
    for (int slot = 0; slot < 256; ++slot) {
        if (table.mid(2816 + slot * 8, 8) == key)
            return QString::fromLatin1(table.mid(768 + slot * 8, 8)).trimmed();
    }
    return QString();
}

void Session::KillAll() {
    for (int round = 0; round < 3; ++round) {
        const QList<qint64> pids = SessionPids();
        if (pids.isEmpty())
            break;
        for (qint64 pid : pids)
            ::kill(pid_t(pid), SIGKILL);
        QThread::msleep(100);
    }
    for (QProcess* process : started_)
        process->waitForFinished(2000);
}

} // namespace e2e
