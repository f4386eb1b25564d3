#include "common/data_folder.h"
#include "common/events.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

extern char** environ;

namespace common {

namespace {
QString g_dataFolder;

constexpr int kMaxEnvEntries = 1000;
const QString kFolderName = QStringLiteral("TamrasystemHikaku");

// Appends the suite's folder name to a base folder, with exactly one
// separator between them and one at the end.
QString WithSuiteFolder(QString base) {
    while (base.size() > 1 && base.endsWith(QLatin1Char('/')))
        base.chop(1);
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return base + kFolderName + QLatin1Char('/');
}
} // namespace

QString GetEnvValue(const QString& name) {
    if (name.isEmpty() || environ == nullptr)
        return QString();
    for (int i = 0; i < kMaxEnvEntries && environ[i] != nullptr; ++i) {
        const QString entry = QString::fromLocal8Bit(environ[i]);
        if (entry.isEmpty())
            break;
        if (entry.size() >= name.size() &&
            QStringView(entry).left(name.size()).compare(name, Qt::CaseInsensitive) == 0)
            return entry.mid(name.size() + 1);
    }
    return QString();
}

void SetDataFolder() {
    const QString appData = GetEnvValue(QStringLiteral("APPDATA"));
    if (!appData.isEmpty()) {
        g_dataFolder = WithSuiteFolder(appData);
        return;
    }
    // The XDG rule: a relative or empty value is ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    g_dataFolder = WithSuiteFolder(base);
}

QString DataFolder() {
    return g_dataFolder;
}

bool EnsureFolder(FolderAction action, const QString& path) {
    if (!path.isEmpty() && QFileInfo::exists(path))
        return true;
    if (action == FolderAction::Check)
        return false;
    // With all its parents: a new account has no ~/.local/share yet.
    const bool made = !path.isEmpty() && QDir().mkpath(path);
    LetEventsRun(1);
    return made;
}

} // namespace common
