#include "common/program_start.h"
#include "common/events.h"

#include "common/messages.h"
#include "common/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>

namespace common {

namespace {

class SystemLauncher : public ProcessLauncher {
public:
    bool StartDetached(const QString& program, const QStringList& args,
                       const QString& workingFolder) override {
        return QProcess::startDetached(program, args, workingFolder);
    }
    void EndProcess(int code) override {
        // The caller's files are closed and its windows destroyed by the end
        // of the process; buffered output is flushed first.
        std::fflush(nullptr);
        std::exit(code);
    }
};

class XdgOpener : public DocumentOpener {
public:
    bool Open(const QString& target, const QString&, const QString& workingFolder) override {
        return QProcess::startDetached(QStringLiteral("xdg-open"), {target}, workingFolder);
    }
};

SystemLauncher g_systemLauncher;
XdgOpener g_xdgOpener;
ProcessLauncher* g_launcher = &g_systemLauncher;
DocumentOpener* g_opener = &g_xdgOpener;

enum class StartResult { Started, NotFound, Failed };

StartResult Start(const QString& program, const QStringList& args) {
    LetEventsRun(1);
    if (TrimBlanks(program).isEmpty())
        return StartResult::Failed;
    const QString path = g_launcher->Locate(program);
    if (path.isEmpty())
        return StartResult::NotFound;
    if (!g_launcher->StartDetached(path, args, QFileInfo(path).absolutePath()))
        return StartResult::Failed;
    LetEventsRun(4);
    return StartResult::Started;
}

// Error 53 ends the program after its message, as every start does.
bool Finish(StartResult result, const QString& command) {
    if (result == StartResult::NotFound) {
        ShowMessage(NotFoundMessage(command), MsgIcon::None, MsgButtons::Ok);
        EndProgram();
    }
    return result == StartResult::Started;
}

StartResult StartLine(const QString& command) {
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty())
        return Start(QString(), {});
    const QString program = parts.takeFirst();
    return Start(program, parts);
}

} // namespace

QString ProcessLauncher::Locate(const QString& name) {
    return FindProgram(name);
}

void SetProcessLauncher(ProcessLauncher* launcher) {
    g_launcher = launcher ? launcher : &g_systemLauncher;
}

void SetDocumentOpener(DocumentOpener* opener) {
    g_opener = opener ? opener : &g_xdgOpener;
}

ProcessLauncher* CurrentProcessLauncher() {
    return g_launcher;
}

DocumentOpener* CurrentDocumentOpener() {
    return g_opener;
}

QString FindProgram(const QString& name) {
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QFileInfo local(QDir(QCoreApplication::applicationDirPath()).filePath(name));
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

QString NotFoundMessage(const QString& command) {
    return QStringLiteral("ｴﾗｰ53:") + command + QStringLiteral("がありません");
}

void StartAndEnd(const QString& command) {
    if (Finish(StartLine(command), command))
        EndProgram();
}

bool StartProgram(const QString& command) {
    return Finish(StartLine(command), command);
}

bool StartCommand(const QString& program, const QStringList& args) {
    return Finish(Start(program, args), program);
}

void EndProgram(int code) {
    g_launcher->EndProcess(code);
}

bool OpenDocument(const QString& target, const QString& parameters, const QString& workingFolder) {
    if (TrimBlanks(target).isEmpty())
        return false;
    return g_opener->Open(target, parameters, workingFolder);
}

} // namespace common
