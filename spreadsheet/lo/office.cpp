#include "spreadsheet/lo/office.h"

#include "common/locale_env.h"
#include "spreadsheet/spreadsheet.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <com/sun/star/util/XFlushable.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sheet::lo {

namespace {

constexpr int kConnectTimeoutMs = 60000;
constexpr int kTerminateWaitMs = 10000;
constexpr int kMaxProfiles = 32;
// The office asks to be started again after it has set up a new profile.
constexpr int kExitRestart = 81;
constexpr int kExitCrashRestart = 79;

std::atomic<int> g_pipeCounter{0};

// "7.4" as a number (74), the way the office compares its versions.
int VersionNumber(const OUString& version) {
    return version.getToken(0, '.').toInt32() * 10 + version.getToken(1, '.').toInt32();
}

// The office treats a profile that has never recorded its version as one
// just upgraded, and then runs a few seconds of graphics self-tests at every
// start. Only a window of its own would record the version, and these
// instances never open one: the profile is marked here, once, and the mark
// is written at once so that even a killed instance keeps it.
void MarkProfileVersionSeen(const Reference<css::uno::XComponentContext>& context) {
    try {
        Reference<css::lang::XMultiServiceFactory> provider =
            css::configuration::theDefaultProvider::get(context);
        css::beans::PropertyValue path;
        path.Name = "nodepath";
        path.Value <<= OUString("/org.openoffice.Setup/Product");
        const css::uno::Sequence<css::uno::Any> args = SeqOf<css::uno::Any>({css::uno::Any(path)});
        Reference<css::beans::XPropertySet> product(
            provider->createInstanceWithArguments(
                "com.sun.star.configuration.ConfigurationUpdateAccess", args),
            UNO_QUERY_THROW);
        OUString version, last;
        product->getPropertyValue("ooSetupVersion") >>= version;
        product->getPropertyValue("ooSetupLastVersion") >>= last;
        if (version.isEmpty() || VersionNumber(last) >= VersionNumber(version))
            return;
        product->setPropertyValue("ooSetupLastVersion", css::uno::Any(version));
        Reference<css::util::XChangesBatch>(product, UNO_QUERY_THROW)->commitChanges();
        Reference<css::util::XFlushable> flushable(provider, UNO_QUERY);
        if (flushable.is())
            flushable->flush();
    } catch (const css::uno::Exception&) {
        // Only a slower start next time.
    }
}

} // namespace

QString FileUrl(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString OfficeLauncher() {
    QString path = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (path.isEmpty() &&
        QFileInfo(QStringLiteral("/usr/lib/libreoffice/program/soffice")).isExecutable())
        path = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    return path;
}

QString OfficeProgramDir() {
    const QString launcher = OfficeLauncher();
    if (launcher.isEmpty())
        return QString();
    const QString dir = QFileInfo(QFileInfo(launcher).canonicalFilePath()).absolutePath();
    if (!QFileInfo(dir + QStringLiteral("/soffice.bin")).isExecutable())
        return QString();
    return dir;
}

Reference<css::uno::XComponentContext> LocalContext() {
    static Reference<css::uno::XComponentContext> context = [] {
        // Without the bootstrap variable the first remote call crashes
        // instead of throwing.
        const QString fundamental = OfficeProgramDir() + QStringLiteral("/fundamentalrc");
        const QByteArray value =
            QByteArrayLiteral("vnd.sun.star.pathname:") + fundamental.toLocal8Bit();
        setenv("URE_BOOTSTRAP", value.constData(), 1);
        return cppu::defaultBootstrap_InitialComponentContext();
    }();
    return context;
}

pid_t SpawnTied(const QString& program, const QStringList& arguments) {
    // Everything the child needs is prepared before the fork: after it only
    // async-signal-safe calls are allowed.
    std::vector<QByteArray> storage;
    storage.push_back(program.toLocal8Bit());
    for (const QString& a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid; // parent (or -1 on failure)

    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) // the parent died before the signal was armed
        _exit(127);
    setpgid(0, 0);
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
    }
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    execv(argv[0], argv.data());
    _exit(127);
}

QString PrivateProfileRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/TamrasystemHikaku/lo-profile-");
}

std::unique_ptr<OfficeInstance> OfficeInstance::Start() {
    const QString programDir = OfficeProgramDir();
    if (programDir.isEmpty())
        throw SheetError(kErrCannotStart,
                         QStringLiteral("表計算アプリケーションがインストールされていません。"));

    std::unique_ptr<OfficeInstance> office(new OfficeInstance);
    // The office converts file paths with its process's character set:
    // without a UTF-8 one, Japanese file names cannot be loaded or stored.
    common::UseUtf8CharsetForChildren();

    // One profile per running instance: two instances on one profile would
    // hand their work to each other.
    const QString root = PrivateProfileRoot();
    QDir().mkpath(QFileInfo(root).absolutePath());
    QString profile;
    for (int n = 1; n <= kMaxProfiles && profile.isEmpty(); ++n) {
        auto lock =
            std::make_unique<QLockFile>(root + QString::number(n) + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            office->profileLock_ = std::move(lock);
            profile = root + QString::number(n);
        }
    }
    if (profile.isEmpty())
        throw SheetError(kErrCannotStart,
                         QStringLiteral("表計算アプリケーションの作業フォルダを確保できません。"));

    const QString pipe = QStringLiteral("tamra_%1_%2_%3")
                             .arg(getpid())
                             .arg(g_pipeCounter.fetch_add(1))
                             .arg(QDateTime::currentMSecsSinceEpoch());
    const QStringList args = {
        QStringLiteral("--headless"),
        QStringLiteral("--invisible"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--nodefault"),
        QStringLiteral("--nolockcheck"),
        QStringLiteral("-env:UserInstallation=") + FileUrl(profile),
        QStringLiteral("--accept=pipe,name=") + pipe +
            QStringLiteral(";urp;StarOffice.ComponentContext"),
    };
    const QString url = QStringLiteral("uno:pipe,name=") + pipe +
                        QStringLiteral(";urp;StarOffice.ComponentContext");

    Reference<css::uno::XComponentContext> local = LocalContext();
    Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(local);

    QElapsedTimer timer;
    timer.start();
    for (int attempt = 0; attempt < 3; ++attempt) {
        office->pid_ = SpawnTied(programDir + QStringLiteral("/soffice.bin"), args);
        if (office->pid_ < 0)
            break;
        while (timer.elapsed() < kConnectTimeoutMs) {
            try {
                Reference<css::uno::XInterface> ctx = resolver->resolve(ToOU(url));
                office->context_.set(ctx, UNO_QUERY_THROW);
                office->desktop_ = css::frame::Desktop::create(office->context_);
                MarkProfileVersionSeen(office->context_);
                return office;
            } catch (const css::connection::NoConnectException&) {
            } catch (const css::uno::Exception& e) {
                throw SheetError(kErrCannotStart,
                                 QStringLiteral("表計算アプリケーションに接続できません。"),
                                 ToQ(e.Message));
            }
            if (office->Reap(0))
                break;
            QThread::msleep(50);
        }
        if (office->pid_ > 0 && office->IsAlive())
            break; // up but never answering: give up
        if (office->exitCode_ != kExitRestart && office->exitCode_ != kExitCrashRestart)
            break;
        office->pid_ = -1;
    }
    office->Kill();
    throw SheetError(kErrCannotStart, QStringLiteral("表計算アプリケーションを起動できません。"),
                     QStringLiteral("exit code %1").arg(office->exitCode_));
}

bool OfficeInstance::Reap(int waitMs) {
    if (pid_ <= 0)
        return true;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_ || (r < 0 && errno == ECHILD)) {
            exitCode_ = r == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
            return true;
        }
        if (timer.elapsed() >= waitMs)
            return false;
        QThread::msleep(20);
    }
}

bool OfficeInstance::IsAlive() {
    return !Reap(0);
}

void OfficeInstance::Terminate() {
    if (pid_ > 0 && desktop_.is()) {
        try {
            desktop_->terminate();
        } catch (const css::uno::Exception&) {
            // The bridge goes down with the office; that is the expected end.
        }
    }
    if (!Reap(kTerminateWaitMs))
        Kill();
    desktop_.clear();
    context_.clear();
}

void OfficeInstance::Kill() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Reap(5000);
    }
}

OfficeInstance::~OfficeInstance() {
    Terminate();
}

} // namespace sheet::lo
