#include "spreadsheet/office_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QUrl>

#include <sys/stat.h>

namespace sheet {

QString OfficeLockPath(const QString& document) {
    const QFileInfo info(document);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

bool ReadOfficeLock(const QString& lockFile, OfficeLock* lock) {
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(file.read(64 * 1024));
    // Comma-separated fields ending in ';'; a backslash escapes the next
    // character (a comma or semicolon inside a name).
    QStringList fields;
    QString field;
    bool ended = false;
    for (qsizetype i = 0; i < text.size() && !ended; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            field += text.at(++i);
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else if (c == QLatin1Char(';')) {
            ended = true;
        } else {
            field += c;
        }
    }
    fields << field;
    if (fields.size() < 3)
        return false;
    lock->userName = fields.value(0).trimmed();
    lock->systemUser = fields.value(1).trimmed();
    lock->host = fields.value(2).trimmed();
    lock->since = fields.value(3).trimmed();
    lock->profileUrl = fields.value(4).trimmed();
    return true;
}

QString DescribeHolder(const OfficeLock& lock) {
    QString who = lock.userName;
    QString account = lock.systemUser;
    if (!lock.host.isEmpty())
        account += QLatin1Char('@') + lock.host;
    if (who.isEmpty())
        who = account;
    else if (!account.isEmpty())
        who += QStringLiteral(" (") + account + QLatin1Char(')');
    if (who.isEmpty())
        who = QStringLiteral("不明なユーザー");
    if (!lock.since.isEmpty())
        who += QStringLiteral("、") + lock.since + QStringLiteral(" から");
    return who;
}

QString SuiteCacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/TamrasystemHikaku");
}

namespace {

// The profile folder a lock names, when it is one of the suite's.
QString SuiteProfileOf(const OfficeLock& lock) {
    const QUrl url(lock.profileUrl);
    if (!url.isLocalFile())
        return QString();
    const QString profile = QDir::cleanPath(url.toLocalFile());
    const QString prefix = SuiteCacheFolder() + QStringLiteral("/lo-profile-");
    if (!profile.startsWith(prefix))
        return QString();
    bool numeric = false;
    profile.mid(prefix.size()).toInt(&numeric);
    return numeric ? profile : QString();
}

} // namespace

bool NamesSuiteProfile(const OfficeLock& lock) {
    return !SuiteProfileOf(lock).isEmpty();
}

bool IsDeadRunLock(const OfficeLock& lock) {
    const QString profile = SuiteProfileOf(lock);
    if (profile.isEmpty())
        return false;
    // A live run holds its profile's lock for as long as its office runs.
    QLockFile held(profile + QStringLiteral(".lock"));
    held.setStaleLockTime(0);
    if (!held.tryLock(0))
        return false;
    held.unlock();
    return true;
}

namespace {

bool SameFile(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// The locks that may stand for the document: its own, and those of other
// names of the same file (hard links) in its folder.
QStringList LocksOf(const QString& document) {
    QStringList locks{OfficeLockPath(document)};
    const QFileInfo info(document);
    const QDir folder = info.absoluteDir();
    const QStringList names =
        folder.entryList({QStringLiteral(".~lock.*#")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QString lock = folder.filePath(name);
        const QString other = folder.filePath(name.mid(7).chopped(1));
        if (lock != locks.first() && other != info.absoluteFilePath() && SameFile(other, document))
            locks << lock;
    }
    return locks;
}

} // namespace

QString ForeignLockMessage(const QString& document, const QString& shownPath) {
    for (const QString& lockFile : LocksOf(document)) {
        OfficeLock lock;
        if (!QFileInfo::exists(lockFile))
            continue;
        if (ReadOfficeLock(lockFile, &lock) && IsDeadRunLock(lock)) {
            QFile::remove(lockFile);
            continue;
        }
        const QString cr = QStringLiteral("\r");
        return QStringLiteral("このブックは他で開かれているため、処理できません。") + cr +
               shownPath + cr + QStringLiteral("使用中：") + DescribeHolder(lock) + cr +
               QStringLiteral("ブックを閉じてから、もう一度実行してください。") + cr +
               QStringLiteral("（誰も開いていない場合は、ロックファイル ") + lockFile +
               QStringLiteral(" を削除してください。）");
    }
    return QString();
}

} // namespace sheet
