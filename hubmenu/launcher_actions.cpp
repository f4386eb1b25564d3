#include "hubmenu/launcher_actions.h"

#include "common/data_folder.h"
#include "common/messages.h"
#include "common/program_start.h"
#include "common/return_table.h"
#include "hubmenu/launcher_lock.h"
#include "hubmenu/settings_file.h"

#include <QDir>
#include <QUrl>

namespace hubmenu {

namespace {

void ReportSettingsFailure(const QString& reason) {
    common::ShowMessage(QStringLiteral("設定を保存できませんでした。") + QLatin1Char('\r') + reason,
                        common::MsgIcon::Exclamation);
}

} // namespace

QString PageTarget(Page page, const QString& programFolder) {
    const QDir folder(programFolder);
    switch (page) {
    case Page::ReadMe:
        return folder.filePath(QStringLiteral("HELP1.HTM"));
    case Page::Links:
        return QUrl::fromLocalFile(folder.filePath(QStringLiteral("LINK.HTM"))).toString();
    case Page::UpdateCheck:
        return QUrl::fromLocalFile(folder.filePath(QStringLiteral("UPDATE.HTM"))).toString();
    case Page::Inquiry:
        return QUrl::fromLocalFile(folder.filePath(QStringLiteral("INQUIRY.HTM"))).toString();
    case Page::Home:
        return QUrl::fromLocalFile(folder.filePath(QStringLiteral("HOME.HTM"))).toString();
    }
    return QString();
}

QColor GuideColour(QRandomGenerator& random) {
    auto component = [&random] { return qMin(255, int(random.generateDouble() * 255) + 50); };
    const int red = component();
    const int green = component();
    const int blue = component();
    return QColor(red, green, blue);
}

std::unique_ptr<LauncherLock> PrepareLauncher() {
    common::SetDataFolder();
    const QString folder = common::DataFolder();
    if (!common::EnsureFolder(common::FolderAction::Create, folder)) {
        common::ShowMessage(QStringLiteral("データフォルダ %1 を作成できません。").arg(folder),
                            common::MsgIcon::Critical);
        return nullptr;
    }
    auto lock = std::make_unique<LauncherLock>(folder);
    // When the lock file cannot be made at all, no other launcher can be
    // detected either: the launcher runs.
    if (lock->TryAcquire() == LauncherLock::Result::HeldByOther) {
        common::ShowMessage(kAlreadyRunningMessage, common::MsgIcon::None, common::MsgButtons::Ok);
        return nullptr;
    }
    return lock;
}

void StartTool(const ToolEntry& tool, int background, LauncherLock* lock) {
    const QString id = QString::fromLatin1(tool.programId);
    QString error;
    if (!SaveToolStart(SettingsPath(), tool.tab, background, &error))
        ReportSettingsFailure(error);
    if (!common::WriteReturnTarget(kLauncherId, id, &error)) {
        common::ShowMessage(QStringLiteral("メニューへの戻り先を登録できませんでした。") +
                                QLatin1Char('\r') + error,
                            common::MsgIcon::Exclamation);
    }
    if (lock)
        lock->Release();
    common::StartAndEnd(id);
    // Any other start failure comes back here: the launcher ends all the same.
    common::EndProgram();
}

void EndLauncher(int background, LauncherLock* lock) {
    QString error;
    if (!SaveBackground(SettingsPath(), background, &error))
        ReportSettingsFailure(error);
    if (lock)
        lock->Release();
    common::EndProgram();
}

} // namespace hubmenu
