#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace ui {

// True when something on this system opens an HTML page: a browser named in
// BROWSER, a desktop default for text/html, or one of the usual browsers on
// PATH, and xdg-open to start it.
bool SystemOpensWebPages();

// The suite's own window for its local pages (the read-me and the launcher's
// pages), used where nothing on the system opens them. Links between the
// pages are followed in the window; other addresses go to the desktop.
class PageViewer : public QWidget {
    Q_OBJECT
public:
    explicit PageViewer(QWidget* parent = nullptr);
    void Load(const QUrl& page);
    QTextBrowser* Browser() const { return browser_; }

private:
    void FollowLink(const QUrl& link);
    void UpdateTitle();

    QTextBrowser* browser_;
};

// Shows a local page in the suite's viewer window (one window, reused), and
// brings it to the front. The window stays until the user closes it.
PageViewer* ShowPage(const QUrl& page);

} // namespace ui
