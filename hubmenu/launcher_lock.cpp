#include "hubmenu/launcher_lock.h"

#include <QDir>

namespace hubmenu {

LauncherLock::LauncherLock(const QString& folder) : file_(FilePath(folder)) {
    // A lock is stale only when its process has ended, never by its age: a
    // launcher may stay open for days.
    file_.setStaleLockTime(0);
}

LauncherLock::~LauncherLock() {
    Release();
}

QString LauncherLock::FilePath(const QString& folder) {
    return QDir(folder).filePath(QStringLiteral("HUBMENU.LCK"));
}

LauncherLock::Result LauncherLock::TryAcquire() {
    if (file_.isLocked())
        return Result::Acquired;
    if (file_.tryLock(0))
        return Result::Acquired;
    return file_.error() == QLockFile::LockFailedError ? Result::HeldByOther : Result::Unavailable;
}

void LauncherLock::Release() {
    if (file_.isLocked())
        file_.unlock();
}

} // namespace hubmenu
