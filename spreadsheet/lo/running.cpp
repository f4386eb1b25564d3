#include "spreadsheet/lo/running.h"

#include "spreadsheet/lo/office.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
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

Reference<css::frame::XDesktop2>& UserDesktop() {
    static Reference<css::frame::XDesktop2> desktop;
    return desktop;
}

bool HasModifiedDocuments(const Reference<css::frame::XDesktop2>& desktop) {
    Reference<css::container::XEnumeration> docs = desktop->getComponents()->createEnumeration();
    while (docs->hasMoreElements()) {
        Reference<css::util::XModifiable> doc(docs->nextElement(), UNO_QUERY);
        if (doc.is() && doc->isModified())
            return true;
    }
    return false;
}

Reference<css::frame::XDesktop2> ConnectToUserInstance() {
    const QString launcher = OfficeLauncher();
    if (launcher.isEmpty())
        return {};
    const QString pipe = QStringLiteral("tamra_user_%1").arg(getpid());
    // A second start on the user's profile hands its arguments to the
    // running instance, which then accepts connections on our pipe.
    QProcess forward;
    forward.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    forward.start(launcher, {QStringLiteral("--accept=pipe,name=") + pipe +
                             QStringLiteral(";urp;StarOffice.ComponentContext")});
    if (!forward.waitForFinished(15000)) {
        forward.kill();
        forward.waitForFinished(1000);
    }
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

bool AskUserInstanceToClose() {
    const QList<OfficeProcessInfo> instances = FindUserInstances();
    if (instances.isEmpty())
        return false;
    bool headless = false;
    for (const OfficeProcessInfo& i : instances)
        headless = headless || i.headless;
    try {
        Reference<css::frame::XDesktop2>& desktop = UserDesktop();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (!desktop.is())
                desktop = ConnectToUserInstance();
            if (!desktop.is())
                return true;
            try {
                if (headless && HasModifiedDocuments(desktop))
                    return true; // nobody could be asked: leave it to the user
                // A visible instance asks about unsaved documents and may refuse.
                desktop->terminate();
                return true;
            } catch (const css::uno::RuntimeException&) {
                desktop.clear(); // a stale connection: reconnect once
            }
        }
    } catch (const css::uno::Exception&) {
        UserDesktop().clear();
    }
    return true;
}

} // namespace sheet::lo
