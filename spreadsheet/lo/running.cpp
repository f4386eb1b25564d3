#include "spreadsheet/lo/running.h"

#include "spreadsheet/lo/office.h"
#include "spreadsheet/run_files.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <sys/stat.h>
#include <unistd.h>

namespace sheet::lo {

bool IsUserInstanceCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty() ||
        QFileInfo(arguments.first()).fileName() != QLatin1String("soffice.bin"))
        return false;
    for (const QString& a : arguments)
        if (a.startsWith(QLatin1String("-env:UserInstallation=")))
            return false;
    return true;
}

QList<OfficeProcessInfo> FindUserInstances() {
    QList<OfficeProcessInfo> found;
    const uid_t me = getuid();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const pid_t pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        const QString dir = QStringLiteral("/proc/") + entry;
        struct stat st {};
        if (stat(QFile::encodeName(dir).constData(), &st) != 0 || st.st_uid != me)
            continue;
        QFile stat(dir + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray statLine = stat.readAll();
        const qsizetype close = statLine.lastIndexOf(')');
        if (close < 0 || close + 2 >= statLine.size() || statLine[close + 2] == 'Z')
            continue;
        QFile cmd(dir + QStringLiteral("/cmdline"));
        if (!cmd.open(QIODevice::ReadOnly))
            continue;
        QStringList args;
        for (const QByteArray& part : cmd.readAll().split('\0'))
            if (!part.isEmpty())
                args << QString::fromLocal8Bit(part);
        if (!IsUserInstanceCommandLine(args))
            continue;
        OfficeProcessInfo info;
        info.pid = pid;
        info.headless = args.contains(QStringLiteral("--headless")) ||
                        args.contains(QStringLiteral("-headless"));
        found << info;
    }
    return found;
}

namespace {

bool HasModifiedDocuments(const Reference<css::frame::XDesktop2>& desktop) {
    Reference<css::container::XEnumeration> docs = desktop->getComponents()->createEnumeration();
    while (docs->hasMoreElements()) {
        Reference<css::util::XModifiable> doc(docs->nextElement(), UNO_QUERY);
        if (doc.is() && doc->isModified())
            return true;
    }
    return false;
}

// Hands an argument to the user's running instance through a second start
// of the launcher.
void Forward(const QString& launcher, const QString& argument) {
    QProcess forward;
    forward.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    forward.start(launcher, {argument});
    if (!forward.waitForFinished(15000)) {
        forward.kill();
        forward.waitForFinished(1000);
    }
}

// Waits for the instance's socket of `pipe` and takes group and others'
// access away at once. Answers the socket, or empty when none of this user
// appeared.
QString PrivatePipeSocket(const QString& pipe) {
    QElapsedTimer timer;
    timer.start();
    const QStringList candidates = PipeSocketCandidates(pipe);
    while (timer.elapsed() < 5000) {
        for (const QString& socket : candidates) {
            struct stat st {};
            if (lstat(QFile::encodeName(socket).constData(), &st) != 0)
                continue;
            if (!S_ISSOCK(st.st_mode) || st.st_uid != getuid())
                return QString(); // not the instance's: never connect to it
            chmod(QFile::encodeName(socket).constData(), S_IRWXU);
            return IsPrivateSocket(socket) ? socket : QString();
        }
        QThread::msleep(10);
    }
    return QString();
}

Reference<css::frame::XDesktop2> Connect(const QString& pipe) {
    Reference<css::bridge::XUnoUrlResolver> resolver =
        css::bridge::UnoUrlResolver::create(LocalContext());
    const OUString url = ToOU(QStringLiteral("uno:pipe,name=") + pipe +
                              QStringLiteral(";urp;StarOffice.ComponentContext"));
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        try {
            Reference<css::uno::XComponentContext> ctx(resolver->resolve(url), UNO_QUERY_THROW);
            return css::frame::Desktop::create(ctx);
        } catch (const css::uno::Exception&) {
            QThread::msleep(100);
        }
    }
    return {};
}

} // namespace

CloseRequest AskUserInstanceToClose() {
    const QList<OfficeProcessInfo> instances = FindUserInstances();
    if (instances.isEmpty())
        return CloseRequest::NotRunning;
    const QString launcher = OfficeLauncher();
    if (launcher.isEmpty() || !PipeSecurityProblem().isEmpty())
        return CloseRequest::Refused;
    bool headless = false;
    for (const OfficeProcessInfo& i : instances)
        headless = headless || i.headless;

    const QString pipe = NewPipeName();
    const QString accept = pipe + QStringLiteral(";urp;StarOffice.ComponentContext");
    for (const QString& socket : PipeSocketCandidates(pipe))
        RecordRunFile(socket);
    Forward(launcher, QStringLiteral("--accept=pipe,name=") + accept);

    CloseRequest result = CloseRequest::Refused;
    bool ending = false;
    const QString socket = PrivatePipeSocket(pipe);
    if (!socket.isEmpty()) {
        try {
            Reference<css::frame::XDesktop2> desktop = Connect(pipe);
            if (desktop.is()) {
                if (headless && HasModifiedDocuments(desktop)) {
                    result = CloseRequest::Refused; // nobody could be asked
                } else {
                    // A visible instance asks about unsaved documents; the
                    // call returns once its user has answered.
                    ending = desktop->terminate();
                    result = ending ? CloseRequest::Asked : CloseRequest::Refused;
                }
            }
        } catch (const css::lang::DisposedException&) {
            ending = true; // the connection went down with the instance
            result = CloseRequest::Asked;
        } catch (const css::uno::RuntimeException&) {
            ending = true;
            result = CloseRequest::Asked;
        } catch (const css::uno::Exception&) {
        }
    }
    // An instance that stays stops listening on our pipe. One that is ending
    // takes its pipe with it, and a launcher started after it has gone would
    // start a new instance.
    if (!ending && !FindUserInstances().isEmpty()) {
        Forward(launcher, QStringLiteral("--unaccept=pipe,name=") + accept);
        // Should the office not have let go of the pipe in time, its name is
        // taken from the file system: nobody can reach the pipe without it.
        QElapsedTimer timer;
        timer.start();
        while (!socket.isEmpty() && QFileInfo::exists(socket) && timer.elapsed() < 2000)
            QThread::msleep(50);
        if (!socket.isEmpty() && IsPrivateSocket(socket))
            QFile::remove(socket);
    }
    return result;
}

} // namespace sheet::lo
