#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include <csignal>
#include <sys/types.h>

namespace unotest {

// True while a process of that id exists and is not a zombie.
inline bool ProcessAlive(pid_t pid) {
    if (pid <= 0 || kill(pid, 0) != 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && close + 2 < line.size() && line[close + 2] != 'Z';
}

inline QString SourceDir() {
    return qEnvironmentVariable("SUITE_SOURCE_DIR", QStringLiteral(SUITE_SOURCE_DIR_DEFAULT));
}

} // namespace unotest
