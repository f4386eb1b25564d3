#include "common/ui/document_opener.h"

#include "common/ui/page_viewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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

bool IsLocalPage(const QUrl& url) {
    if (!url.isLocalFile())
        return false;
    const QFileInfo file(url.toLocalFile());
    const QString suffix = file.suffix().toLower();
    return file.isFile() && (suffix == QLatin1String("htm") || suffix == QLatin1String("html"));
}

bool DesktopDocumentOpener::Open(const QString& target, const QString&,
                                 const QString& workingFolder) {
    if (target.isEmpty())
        return false;
    const QUrl url = DocumentUrl(target, workingFolder);
    // The suite's own pages are shown in a window of the suite where nothing
    // on the system would open them (xdg-open would fail out of sight).
    if (IsLocalPage(url) && !SystemOpensWebPages()) {
        ShowPage(url);
        return true;
    }
    return QDesktopServices::openUrl(url);
}

} // namespace ui
