#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

// Another local user (nobody, uid 65534) for tests of what one user can do to
// another through shared folders. Only root can act as that user; tests skip
// otherwise.
struct OtherUser {
    static constexpr uid_t kUid = 65534;

    static bool Available() { return ::geteuid() == 0 && Run({QStringLiteral("true")}); }

    // Runs a command as the other user; true when it ran and succeeded.
    static bool Run(const QStringList& command) {
        QStringList args = {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), QStringLiteral("--")};
        args += command;
        QProcess process;
        process.start(QStringLiteral("setpriv"), args);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

    // Plants a symbolic link `link` -> `target` as the other user.
    static bool PlantLink(const QString& target, const QString& link) {
        return Run({QStringLiteral("ln"), QStringLiteral("-s"), target, link});
    }
};

// A folder every local user may write to, like /tmp: mode 1777. Made in /tmp
// itself, so that the other user can reach it whatever TMPDIR says.
class SharedFolder {
public:
    SharedFolder() : dir_(QStringLiteral("/tmp/suite-shared-XXXXXX")) {
        ok_ = dir_.isValid() && ::chmod(QFile::encodeName(dir_.path()), 01777) == 0;
    }
    bool IsValid() const { return ok_; }
    QString Path() const { return dir_.path(); }
    QString FilePath(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    bool ok_ = false;
};

} // namespace testing_support
