#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace testing_support {

// A small tmpfs mounted for one test, so that writes can be made to fail with
// "no space left on device". Mounting needs root; Mounted() says whether it
// worked (tests skip otherwise). The mount goes with the object.
class FullDisk {
public:
    explicit FullDisk(int kilobytes = 64) {
        if (::geteuid() != 0 || !dir_.isValid())
            return;
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0755";
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                           options.constData()) == 0;
    }
    ~FullDisk() {
        if (mounted_)
            ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Mounted() const { return mounted_; }
    QString Path() const { return dir_.path(); }
    QString FilePath(const QString& name) const { return QDir(dir_.path()).filePath(name); }

    // Writes a filler file until the file system refuses more data. Answers
    // true when the disk is then full.
    bool Fill() {
        const QByteArray path = QFile::encodeName(FilePath(QStringLiteral(".filler")));
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(4096, 'x');
        bool full = false;
        for (int i = 0; i < 1 << 20 && !full; ++i) {
            const ssize_t n = ::write(fd, block.constData(), block.size());
            full = n < 0 && errno == ENOSPC;
        }
        // Single bytes fill the last part page.
        for (int i = 0; i < 4096 && full; ++i) {
            if (::write(fd, "x", 1) < 0)
                break;
        }
        ::close(fd);
        return full;
    }

    // Frees the space again.
    void Drain() { QFile::remove(FilePath(QStringLiteral(".filler"))); }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace testing_support
