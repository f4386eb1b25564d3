#include "common/ui/document_opener.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace ui {

QUrl DocumentUrl(const QString& target, const QString& workingFolder) {
    const QUrl url(target);
    // A scheme of one letter would be a drive letter, not an address.
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    QString path = target;
    if (QDir::isRelativePath(path) && !workingFolder.isEmpty())
        path = QDir(workingFolder).filePath(path);
    return QUrl::fromLocalFile(QDir::cleanPath(path));
}

bool DesktopDocumentOpener::Open(const QString& target, const QString&,
                                 const QString& workingFolder) {
    if (target.isEmpty())
        return false;
    return QDesktopServices::openUrl(DocumentUrl(target, workingFolder));
}

} // namespace ui
