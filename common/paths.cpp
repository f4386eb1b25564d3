#include "common/paths.h"

#include <QFile>
#include <QFileInfo>

namespace common {

namespace {

bool IsDeviceName(const QString& name) {
    const QString base = name.section(QLatin1Char('.'), 0, 0).toUpper();
    static const QStringList fixed = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                      QStringLiteral("AUX"), QStringLiteral("CLOCK$"),
                                      QStringLiteral("NUL")};
    if (fixed.contains(base))
        return true;
    // COM0..COM9 and LPT0..LPT9: exactly one digit after the prefix.
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base.at(3).isDigit() && base.at(3).unicode() < 0x80;
}

// Opens the path for reading and closes it again. A folder is not a file.
bool CanRead(const QString& path) {
    if (QFileInfo(path).isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    file.close();
    return true;
}

} // namespace

bool CheckFileName(const QString& path) {
    // There is no drive letter on this platform, so any colon fails (this also
    // covers a colon followed by two separators).
    if (path.contains(QLatin1Char(':')))
        return false;
    for (QChar c : path) {
        if (QStringView(u"\\,*?<>|").contains(c))
            return false;
    }
    const PathParts parts = SplitPath(path);
    if (parts.name.isEmpty() || IsDeviceName(parts.name))
        return false;
    const QFileInfo info(path);
    if (info.exists())
        return CanRead(path);
    // A missing file is a valid name when its folder exists.
    const QFileInfo folder(info.absolutePath());
    return folder.isDir();
}

PathParts SplitPath(const QString& path) {
    const qsizetype at = path.lastIndexOf(QLatin1Char('/'));
    if (at < 0)
        return {QString(), path};
    return {path.left(at + 1), path.mid(at + 1)};
}

NameParts SplitExtension(const QString& path) {
    const PathParts parts = SplitPath(path);
    const qsizetype dot = parts.name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return {parts.folder, parts.name, QString()};
    return {parts.folder, parts.name.left(dot), parts.name.mid(dot + 1)};
}

bool FileExists(const QString& path) {
    return !path.isEmpty() && CanRead(path);
}

} // namespace common
