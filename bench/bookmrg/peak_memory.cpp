#include "peak_memory.h"

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace bench {

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

OfficePeakMemory::OfficePeakMemory() : thread_([this] { Sample(); }) {}

OfficePeakMemory::~OfficePeakMemory() {
    stop_ = true;
    thread_.join();
}

void OfficePeakMemory::Sample() {
    const QByteArray self = QByteArray::number(getpid());
    while (!stop_) {
        const QStringList pids = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
        for (const QString& pid : pids) {
            if (!pid.front().isDigit())
                continue;
            const QString dir = QStringLiteral("/proc/") + pid;
            if (ReadAll(dir + QStringLiteral("/comm")).trimmed() != "soffice.bin")
                continue;
            const QByteArray status = ReadAll(dir + QStringLiteral("/status"));
            long hwm = 0;
            bool mine = false;
            for (const QByteArray& line : status.split('\n')) {
                if (line.startsWith("PPid:"))
                    mine = line.mid(5).trimmed() == self;
                else if (line.startsWith("VmHWM:"))
                    hwm = line.mid(6).trimmed().split(' ').value(0).toLong();
            }
            if (mine && hwm > peakKb_)
                peakKb_ = hwm;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

double WaitForChild(pid_t pid, int* exitCode) {
    int status = 0;
    struct rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return usage.ru_maxrss / 1024.0;
}

} // namespace bench
