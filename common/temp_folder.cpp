#include "common/temp_folder.h"

#include "common/error_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

// Names tried after the first one is taken by something we must not use.
constexpr int kMaxAlternatives = 100;

// True when `path` is, without following a link, a folder of this user that
// no one else may read, write or enter.
bool IsOwnPrivateFolder(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

} // namespace

QString SharedTempFolder() {
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty() && QDir::isAbsolutePath(temp))
        return QDir::cleanPath(temp);
    return QDir::cleanPath(QDir::tempPath());
}

QString PrivateTempFolder(QString* error) {
    const QString base = SharedTempFolder();
    const QString stem = QStringLiteral("TamrasystemHikaku-%1").arg(::geteuid());
    int lastError = 0;
    for (int n = 1; n <= kMaxAlternatives; ++n) {
        const QString path =
            QDir(base).filePath(n == 1 ? stem : stem + QStringLiteral("-%1").arg(n));
        const QByteArray native = QFile::encodeName(path);
        // mkdir never follows a link and fails on any existing entry, so a
        // folder made here is new and ours; the mode is set again because
        // the user's umask may have taken bits away (never added any).
        if (::mkdir(native.constData(), 0700) == 0) {
            ::chmod(native.constData(), 0700);
            if (IsOwnPrivateFolder(native))
                return path;
            lastError = EPERM;
            continue;
        }
        lastError = errno;
        if (lastError != EEXIST)
            break;
        if (IsOwnPrivateFolder(native))
            return path;
    }
    if (error) {
        *error = QStringLiteral("作業用フォルダを %1 に作成できません（%2）")
                     .arg(QDir::toNativeSeparators(base), SystemErrorText(lastError));
    }
    return QString();
}

QString PrivateTempFile(const QString& name, QString* error) {
    const QString folder = PrivateTempFolder(error);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(name);
}

} // namespace common
