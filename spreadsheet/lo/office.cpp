#include "spreadsheet/lo/office.h"

#include "common/locale_env.h"
#include "spreadsheet/office_lock.h"
#include "spreadsheet/run_files.h"
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
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
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

pid_t SpawnTied(const QString& program, const QStringList& arguments,
                const QStringList& environment) {
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

    std::vector<QByteArray> envStorage;
    QList<QByteArray> replaced;
    for (const QString& e : environment) {
        envStorage.push_back(e.toLocal8Bit());
        replaced << envStorage.back().left(envStorage.back().indexOf('=') + 1);
    }
    for (char** e = environ; e && *e; ++e) {
        const QByteArray entry(*e);
        bool overridden = false;
        for (const QByteArray& name : replaced)
            overridden = overridden || entry.startsWith(name);
        if (!overridden)
            envStorage.push_back(entry);
    }
    std::vector<char*> envp;
    for (QByteArray& e : envStorage)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0)
        return pid; // parent (or -1 on failure)

    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) // the parent died before the signal was armed
        _exit(127);
    setpgid(0, 0);
    // The office makes its pipe socket with this mask (the socket is only
    // reachable for whoever may write it); files it makes are private too.
    umask(077);
    const int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
    }
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

QString PipeSecurityProblem() {
    // The office names and protects its pipe by the user's entry in the user
    // database; without one it opens the pipe to everyone.
    if (getpwuid(getuid()) != nullptr)
        return QString();
    return QStringLiteral("このユーザー (uid %1) はシステムのユーザー情報に登録されていないため、"
                          "表計算アプリケーションを他のユーザーから保護して起動できません。")
               .arg(getuid()) +
           QStringLiteral("\r") +
           QStringLiteral("システム管理者にユーザー情報の登録を依頼してください。");
}

QStringList PipeSocketCandidates(const QString& pipeName) {
    QStringList folders;
    for (const char* folder : {"/tmp", "/var/tmp"})
        if (access(folder, W_OK) == 0) {
            folders << QString::fromLatin1(folder);
            break;
        }
    QStringList paths;
    for (const QString& folder : folders) {
        paths << folder + QStringLiteral("/OSL_PIPE_%1_").arg(getuid()) + pipeName;
        paths << folder + QStringLiteral("/OSL_PIPE_") + pipeName;
    }
    return paths;
}

bool IsPrivateSocket(const QString& path) {
    struct stat st {};
    return lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

QString NewPipeName() {
    // The random part keeps the name from being guessed ahead of time.
    return QStringLiteral("tamra_%1_%2")
        .arg(getpid())
        .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
}

QString PrivateProfileRoot() {
    return SuiteCacheFolder() + QStringLiteral("/lo-profile-");
}

std::unique_ptr<OfficeInstance> OfficeInstance::Start() {
    const QString programDir = OfficeProgramDir();
    if (programDir.isEmpty())
        throw SheetError(SheetErrorKind::CannotStart,
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
        throw SheetError(SheetErrorKind::CannotStart,
                         QStringLiteral("表計算アプリケーションの作業フォルダを確保できません。"));
    const QString pipeProblem = PipeSecurityProblem();
    if (!pipeProblem.isEmpty())
        throw SheetError(SheetErrorKind::CannotStart, pipeProblem);

    // The office's own temp files go to a folder of this profile, made
    // afresh (a killed run's files are dropped) and removed at the end.
    office->tempDir_ = profile + QStringLiteral(".tmp");
    QDir(office->tempDir_).removeRecursively();
    if (!QDir().mkdir(office->tempDir_) ||
        !QFile::setPermissions(office->tempDir_,
                               QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
        throw SheetError(SheetErrorKind::CannotStart,
                         QStringLiteral("表計算アプリケーションの作業フォルダを作成できません。"),
                         office->tempDir_);

    const QString pipe = NewPipeName();
    const QStringList sockets = PipeSocketCandidates(pipe);
    for (const QString& socket : sockets)
        RecordRunFile(socket);
    const QStringList environment = {QStringLiteral("TMPDIR=") + office->tempDir_,
                                     QStringLiteral("TMP=") + office->tempDir_,
                                     QStringLiteral("TEMP=") + office->tempDir_};
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
        office->pid_ = SpawnTied(programDir + QStringLiteral("/soffice.bin"), args, environment);
        if (office->pid_ < 0)
            break;
        while (timer.elapsed() < kConnectTimeoutMs) {
            try {
                Reference<css::uno::XInterface> ctx = resolver->resolve(ToOU(url));
                for (const QString& socket : sockets)
                    if (QFileInfo(socket).exists() || QFileInfo(socket).isSymLink())
                        office->pipeSocket_ = socket;
                // Made with the mask 077 it is private; anything else (a
                // socket not ours, one open to others) ends the run here.
                if (!IsPrivateSocket(office->pipeSocket_)) {
                    office->Kill();
                    throw SheetError(
                        SheetErrorKind::CannotStart,
                        QStringLiteral("表計算アプリケーションの接続口を他のユーザーから"
                                       "保護できないため、起動を中止しました。"),
                        office->pipeSocket_);
                }
                office->context_.set(ctx, UNO_QUERY_THROW);
                office->desktop_ = css::frame::Desktop::create(office->context_);
                MarkProfileVersionSeen(office->context_);
                return office;
            } catch (const css::connection::NoConnectException&) {
            } catch (const css::uno::Exception& e) {
                throw SheetError(SheetErrorKind::CannotStart,
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
    throw SheetError(SheetErrorKind::CannotStart,
                     QStringLiteral("表計算アプリケーションを起動できません。"),
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
    RemoveRunFiles();
}

void OfficeInstance::Kill() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        Reap(5000);
    }
    RemoveRunFiles();
}

void OfficeInstance::RemoveRunFiles() {
    if (pid_ > 0)
        return; // still running: its files are in use
    // A killed office leaves its socket file behind.
    if (!pipeSocket_.isEmpty() && IsPrivateSocket(pipeSocket_))
        QFile::remove(pipeSocket_);
    pipeSocket_.clear();
    if (!tempDir_.isEmpty())
        QDir(tempDir_).removeRecursively();
    tempDir_.clear();
}

OfficeInstance::~OfficeInstance() {
    Terminate();
}

} // namespace sheet::lo
