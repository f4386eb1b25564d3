#include "common/ui/page_viewer.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace ui {

namespace {

// The browsers xdg-open tries itself when no default is set.
const char* const kKnownBrowsers[] = {
    "x-www-browser",    "www-browser",   "firefox",  "firefox-esr", "chromium",
    "chromium-browser", "google-chrome", "epiphany", "konqueror",   "falkon",
    "links2",           "elinks",        "links",    "lynx",        "w3m",
};

bool DesktopDefaultForHtml() {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return false;
    QProcess query;
    query.start(xdgMime,
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool SystemOpensWebPages() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    if (!qEnvironmentVariable("BROWSER").trimmed().isEmpty())
        return true;
    for (const char* name : kKnownBrowsers)
        if (!QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty())
            return true;
    return DesktopDefaultForHtml();
}

PageViewer::PageViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FRM_PAGEVIEW"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("txtPage"));
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &PageViewer::FollowLink);
    connect(browser_, &QTextBrowser::sourceChanged, this, &PageViewer::UpdateTitle);

    auto* back = new QPushButton(QStringLiteral("戻る"), this);
    back->setObjectName(QStringLiteral("cmdBack"));
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    auto* close = new QPushButton(QStringLiteral("ESC:閉じる"), this);
    close->setObjectName(QStringLiteral("cmdEsc"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addLayout(buttons);

    resize(900, 680);
    if (const QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(qMin(900, area.width() - 40), qMin(680, area.height() - 60));
        move(area.center() - rect().center());
    }
}

void PageViewer::Load(const QUrl& page) {
    browser_->setSource(page, QTextDocument::HtmlResource);
    UpdateTitle();
}

void PageViewer::FollowLink(const QUrl& link) {
    const QUrl target = browser_->source().resolved(link);
    // Pages and anchors of the suite's own folder stay in the window.
    if (target.isLocalFile() && QFileInfo(target.toLocalFile()).isFile()) {
        const QString suffix = QFileInfo(target.toLocalFile()).suffix().toLower();
        if (suffix == QLatin1String("htm") || suffix == QLatin1String("html")) {
            browser_->setSource(target, QTextDocument::HtmlResource);
            return;
        }
    }
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        browser_->scrollToAnchor(link.fragment());
        return;
    }
    QDesktopServices::openUrl(target);
}

void PageViewer::UpdateTitle() {
    QString title = browser_->documentTitle();
    if (title.isEmpty())
        title = QFileInfo(browser_->source().toLocalFile()).fileName();
    setWindowTitle(QStringLiteral("(PAGE) ") + title);
}

PageViewer* ShowPage(const QUrl& page) {
    static QPointer<PageViewer> viewer;
    if (!viewer)
        viewer = new PageViewer;
    viewer->Load(page);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return viewer;
}

} // namespace ui
