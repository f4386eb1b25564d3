#include "spreadsheet/run_files.h"

#include "spreadsheet/office_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace sheet {

namespace {

// The start time of a process (field 22 of /proc/<pid>/stat), which tells a
// process from a later one that got the same id; empty when it has ended.
QString ProcessStartTime(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return QString();
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // fields[0] is field 3 (the state): field 22 is fields[19].
    if (fields.size() < 20 || fields[0] == "Z")
        return QString();
    return QString::fromLatin1(fields[19]);
}

QString HostTag() {
    QString host = QSysInfo::machineHostName();
    host.replace(QLatin1Char('/'), QLatin1Char('_'));
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

// "<host>-<pid>-<start time>.lst"
QString RecordName(pid_t pid, const QString& start) {
    return HostTag() + QStringLiteral("-%1-").arg(pid) + start + QStringLiteral(".lst");
}

QString OwnRecord() {
    static const QString path =
        RunRecordFolder() + QLatin1Char('/') + RecordName(getpid(), ProcessStartTime(getpid()));
    return path;
}

// The record's path for the exit handler, which runs after Qt's and this
// file's static objects have gone: plain bytes and a plain unlink.
char g_ownRecord[4096];

void RemoveOwnRecord() {
    if (g_ownRecord[0])
        unlink(g_ownRecord);
}

bool IsOurs(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && st.st_uid == getuid();
}

// Removes one listed path if it is something the suite makes. True when it
// is to be tried again at a later start: a lock of one of the suite's
// profiles that a live run holds at this moment (profiles are reused, so the
// holder may be a later run, done soon).
bool RemoveLeftover(const QString& path) {
    const QFileInfo info(path);
    const QString name = info.fileName();
    if (!IsOurs(path))
        return false;
    if (name.startsWith(QLatin1String(".~lock.")) && name.endsWith(QLatin1Char('#'))) {
        OfficeLock lock;
        if (!ReadOfficeLock(path, &lock))
            return false;
        if (IsDeadRunLock(lock)) {
            QFile::remove(path);
            return false;
        }
        return NamesSuiteProfile(lock);
    }
    if (name.startsWith(QLatin1String(".~")) || name.startsWith(QLatin1String("OSL_PIPE_"))) {
        if (!info.isDir() || info.isSymLink())
            QFile::remove(path);
        return false;
    }
    const QString cache = SuiteCacheFolder() + QLatin1Char('/');
    if (QDir::cleanPath(path).startsWith(cache) && info.isDir() && !info.isSymLink())
        QDir(path).removeRecursively();
    return false;
}

} // namespace

QString RunRecordFolder() {
    return SuiteCacheFolder() + QStringLiteral("/runs");
}

void RecordRunFile(const QString& path) {
    static const bool registered = [] {
        QDir().mkpath(RunRecordFolder());
        QFile::setPermissions(RunRecordFolder(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray path = QFile::encodeName(OwnRecord());
        if (path.size() < qsizetype(sizeof g_ownRecord)) {
            std::memcpy(g_ownRecord, path.constData(), size_t(path.size()) + 1);
            std::atexit(RemoveOwnRecord);
        }
        return true;
    }();
    (void)registered;
    QFile record(OwnRecord());
    if (!record.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    record.write(QFile::encodeName(QFileInfo(path).absoluteFilePath()) + '\n');
    record.flush();
}

void RemoveDeadRunLeftovers() {
    const QString folder = RunRecordFolder();
    const QString prefix = HostTag() + QLatin1Char('-');
    const QStringList records =
        QDir(folder).entryList({prefix + QStringLiteral("*.lst")}, QDir::Files);
    for (const QString& name : records) {
        const QStringList parts = name.mid(prefix.size()).chopped(4).split(QLatin1Char('-'));
        bool numeric = false;
        const pid_t pid = parts.value(0).toInt(&numeric);
        if (!numeric || parts.size() != 2)
            continue;
        if (pid == getpid() || ProcessStartTime(pid) == parts.value(1))
            continue; // a live run
        const QString path = folder + QLatin1Char('/') + name;
        QFile record(path);
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = record.readAll().split('\n');
        record.close();
        QByteArray kept;
        for (const QByteArray& line : lines)
            if (!line.isEmpty() && RemoveLeftover(QFile::decodeName(line)))
                kept += line + '\n';
        if (kept.isEmpty()) {
            QFile::remove(path);
        } else if (record.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            record.write(kept);
            record.close();
        }
    }
    // The temp folders of the private profiles (lo-profile-<n>.tmp) that no
    // live run holds.
    const QString cache = SuiteCacheFolder();
    const QStringList temps =
        QDir(cache).entryList({QStringLiteral("lo-profile-*.tmp")}, QDir::Dirs | QDir::Hidden);
    for (const QString& temp : temps) {
        const QString profile = cache + QLatin1Char('/') + temp.chopped(4);
        QLockFile lock(profile + QStringLiteral(".lock"));
        lock.setStaleLockTime(0);
        if (lock.tryLock(0))
            QDir(cache + QLatin1Char('/') + temp).removeRecursively();
    }
}

bool AnotherInstanceRuns() {
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (self.isEmpty())
        return true; // cannot tell: assume it does
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric || pid == getpid())
            continue;
        const QString exe = QStringLiteral("/proc/") + entry + QStringLiteral("/exe");
        if (!IsOurs(QStringLiteral("/proc/") + entry) || ProcessStartTime(pid).isEmpty())
            continue;
        if (QFileInfo(exe).symLinkTarget() == self)
            return true;
    }
    return false;
}

void RemoveDeadSettingsTemps(const QString& dataFolder, const QString& programId) {
    if (dataFolder.isEmpty() || AnotherInstanceRuns())
        return;
    const QDir folder(dataFolder);
    const QString prefix = programId + QStringLiteral(".PRM.");
    for (const QString& name : folder.entryList({prefix + QStringLiteral("??????")},
                                                QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = folder.filePath(name);
        if (name.size() == prefix.size() + 6 && IsOurs(path))
            QFile::remove(path);
    }
}

bool IsDeadRunOfficeLock(const QString& lockFile) {
    OfficeLock lock;
    return ReadOfficeLock(lockFile, &lock) && IsDeadRunLock(lock);
}

} // namespace sheet
