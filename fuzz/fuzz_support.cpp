#include "fuzz_support.h"

#include "common/data_folder.h"

#include <QFileInfo>

#include <cstdlib>
#include <unistd.h>

namespace fuzz {

QString ScratchFolder() {
    static const QString folder = [] {
        const QByteArray base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                    ? QByteArray("/dev/shm")
                                    : QFile::encodeName(QDir::tempPath());
        QByteArray pattern = base + "/suite-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        const QString made = QFile::decodeName(pattern);
        qputenv("APPDATA", pattern);
        common::SetDataFolder();
        QDir().mkpath(common::DataFolder());
        // The folder goes when the run ends.
        static const QString removeAtExit = made;
        std::atexit([] { QDir(removeAtExit).removeRecursively(); });
        return made;
    }();
    return folder;
}

void WriteInput(const QString& path, const uint8_t* data, size_t size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    if (size && file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
}

void WriteSeed(const char* name, const QByteArray& bytes) {
    const QString folder = qEnvironmentVariable("SUITE_FUZZ_SEEDS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QFile file(QDir(folder).filePath(QString::fromLatin1(name)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

} // namespace fuzz
