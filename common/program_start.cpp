#include "common/program_start.h"
#include "common/events.h"

#include "common/messages.h"
#include "common/text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

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

enum class StartResult { Started, NotFound, Failed };

StartResult Start(const QString& program, const QStringList& args) {
    LetEventsRun(1);
    if (TrimBlanks(program).isEmpty())
        return StartResult::Failed;
    const QString path = ProcessLauncherSeam()->Locate(program);
    if (path.isEmpty())
        return StartResult::NotFound;
    if (!ProcessLauncherSeam()->StartDetached(path, args, QFileInfo(path).absolutePath()))
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

// The hand-over starts only the suite's own programs by their bare
// identifiers. The command comes from the return table, a file any program
// of the user may have written: anything else in it (a path, arguments,
// another program's name) is treated as a program that is not there.
StartResult StartLine(const QString& command) {
    const QString id = TrimBlanks(command);
    if (id.isEmpty())
        return Start(QString(), {});
    if (!IsSuiteProgram(id))
        return StartResult::NotFound;
    return Start(id, {});
}

} // namespace

QString ProcessLauncher::Locate(const QString& name) {
    return FindProgram(name);
}

Seam<ProcessLauncher>& ProcessLauncherSeam() {
    static SystemLauncher system;
    static Seam<ProcessLauncher> seam(system);
    return seam;
}

Seam<DocumentOpener>& DocumentOpenerSeam() {
    static XdgOpener xdgOpen;
    static Seam<DocumentOpener> seam(xdgOpen);
    return seam;
}

bool IsSuiteProgram(const QString& id) {
    static const QStringList programs = {QStringLiteral("HUBMENU"), QStringLiteral("COSTCMP"),
                                         QStringLiteral("BOOKMRG"), QStringLiteral("SHTLIST"),
                                         QStringLiteral("COSTSUB")};
    return programs.contains(id);
}

QString FindProgram(const QString& name) {
    const QFileInfo info(name.contains(QLatin1Char('/'))
                             ? name
                             : QDir(QCoreApplication::applicationDirPath()).filePath(name));
    return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
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
    ProcessLauncherSeam()->EndProcess(code);
}

bool OpenDocument(const QString& target, const QString& parameters, const QString& workingFolder) {
    if (TrimBlanks(target).isEmpty())
        return false;
    return DocumentOpenerSeam()->Open(target, parameters, workingFolder);
}

} // namespace common
