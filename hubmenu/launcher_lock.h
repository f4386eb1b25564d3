#pragma once

#include <QLockFile>
#include <QString>

namespace hubmenu {

// Only one launcher runs at a time. The lock is a file in the data folder
// that names the process holding it; a lock left behind by a launcher that
// crashed (its process is gone) is taken over, while the lock of a running
// launcher is respected however old it is.
class LauncherLock {
public:
    enum class Result {
        Acquired,    // this launcher holds the lock
        HeldByOther, // another launcher is running
        Unavailable, // the lock file cannot be made (no one can be detected)
    };

    explicit LauncherLock(const QString& folder);
    ~LauncherLock();
    LauncherLock(const LauncherLock&) = delete;
    LauncherLock& operator=(const LauncherLock&) = delete;

    Result TryAcquire();
    // Gives the lock up, so that a launcher started from now on may run.
    void Release();
    bool IsHeld() const { return file_.isLocked(); }

    static QString FilePath(const QString& folder);

private:
    QLockFile file_;
};

} // namespace hubmenu
