#include "common/messages.h"
#include "common/program_start.h"
#include "common/ui/app_init.h"
#include "common/ui/document_opener.h"
#include "common/ui/message_box.h"
#include "common/ui/page_viewer.h"
#include "common/ui/window_order.h"
#include "common/version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(InitApplication, InstallsMessageBoxesOpenerAndProgramId) {
    common::MessageSink* sink = &common::MessageSinkSeam().Get();
    common::DocumentOpener* opener = &common::DocumentOpenerSeam().Get();
    {
        const ui::ProgramServices services = ui::InitApplication(QStringLiteral("HUBMENU"));
        EXPECT_EQ(common::ProgramId(), QStringLiteral("HUBMENU"));
        EXPECT_NE(dynamic_cast<ui::MessageBoxSink*>(&common::MessageSinkSeam().Get()), nullptr);
        EXPECT_NE(dynamic_cast<ui::DesktopDocumentOpener*>(&common::DocumentOpenerSeam().Get()),
                  nullptr);
    }
    // Put back when the program's services end.
    EXPECT_EQ(&common::MessageSinkSeam().Get(), sink);
    EXPECT_EQ(&common::DocumentOpenerSeam().Get(), opener);
}

TEST(DocumentUrl, AddressesStayLocalNamesBecomeFiles) {
    EXPECT_EQ(ui::DocumentUrl(QStringLiteral("http://example.com/a.htm"), QString()).toString(),
              QStringLiteral("http://example.com/a.htm"));
    EXPECT_EQ(ui::DocumentUrl(QStringLiteral("HELP1.HTM"), QStringLiteral("/opt/suite/bin/")),
              QUrl::fromLocalFile(QStringLiteral("/opt/suite/bin/HELP1.HTM")));
    EXPECT_EQ(ui::DocumentUrl(QStringLiteral("/tmp/work 1.xls"), QStringLiteral("/elsewhere")),
              QUrl::fromLocalFile(QStringLiteral("/tmp/work 1.xls")));
}

// A system with no browser and no desktop default for pages (a minimal
// install, a container): the read-me and the launcher's pages open in the
// suite's own window instead of nothing at all; links between them are
// followed there.
TEST(DesktopDocumentOpener, PagesShowInTheSuitesWindowWhereNothingOpensThem) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const QString& name, const QByteArray& html) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(html);
    };
    write(QStringLiteral("HELP1.HTM"),
          "<html><head><meta charset=\"UTF-8\"><title>はじめにお読みください</title></head>"
          "<body><a href=\"LINK.HTM\">リンク集</a></body></html>");
    write(
        QStringLiteral("LINK.HTM"),
        "<html><head><meta charset=\"UTF-8\"><title>リンク集</title></head><body>x</body></html>");

    const QByteArray path = qgetenv("PATH");
    const QByteArray browser = qgetenv("BROWSER");
    qputenv("PATH", QFile::encodeName(folder.path())); // no xdg-open, no browser
    qunsetenv("BROWSER");
    EXPECT_FALSE(ui::SystemOpensWebPages());
    ui::DesktopDocumentOpener opener;
    EXPECT_TRUE(opener.Open(folder.filePath(QStringLiteral("HELP1.HTM")), QString(), QString()));
    qputenv("PATH", path);
    if (!browser.isNull())
        qputenv("BROWSER", browser);

    ui::PageViewer* viewer = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* v = qobject_cast<ui::PageViewer*>(w); v && v->isVisible())
            viewer = v;
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("(PAGE) はじめにお読みください"));
    EXPECT_TRUE(viewer->Browser()->toPlainText().contains(QStringLiteral("リンク集")));

    emit viewer->Browser()->anchorClicked(QUrl(QStringLiteral("LINK.HTM")));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("(PAGE) リンク集"));
    // The same window is reused for the next page.
    EXPECT_EQ(ui::ShowPage(QUrl::fromLocalFile(folder.filePath(QStringLiteral("HELP1.HTM")))),
              viewer);
    viewer->close();
}

// (The offscreen platform activates every shown window, so whether the focus
// stays where it was is seen on a real display only.)
TEST(WindowOrder, KeepOnTopAndSendToBottomShowTheWindow) {
    QWidget form;
    ui::KeepOnTop(&form);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(form.testAttribute(Qt::WA_ShowWithoutActivating));

    ui::SendToBottom(&form);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);
}

// The version has one source, the build: the pages next to the programs say
// what the launcher says, and no page keeps a version of its own.
TEST(Version, PagesAndProgramsShowTheOneVersionOfTheBuild) {
    EXPECT_TRUE(common::kVersionText.startsWith(QChar(u'V'))) << common::kVersionText.toStdString();
    const QString bin = qEnvironmentVariable("SUITE_BIN_DIR");
    ASSERT_FALSE(bin.isEmpty());
    for (const char* page : {"UPDATE.HTM", "INQUIRY.HTM"}) {
        QFile file(bin + QLatin1Char('/') + QLatin1String(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << page;
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_TRUE(text.contains(common::kVersionText)) << page;
        EXPECT_FALSE(text.contains(QStringLiteral("@SUITE_VERSION_TEXT@"))) << page;
        EXPECT_FALSE(text.contains(QStringLiteral("1.0.0"))) << page;
    }
}

} // namespace
