#include "common/messages.h"
#include "common/program_start.h"
#include "common/ui/app_init.h"
#include "common/ui/document_opener.h"
#include "common/ui/message_box.h"
#include "common/ui/window_order.h"
#include "common/version.h"

#include <QFile>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(InitApplication, InstallsMessageBoxesOpenerAndProgramId) {
    common::MessageSink* sink = common::CurrentMessageSink();
    ui::InitApplication(QStringLiteral("HUBMENU"));
    EXPECT_EQ(common::ProgramId(), QStringLiteral("HUBMENU"));
    EXPECT_NE(dynamic_cast<ui::MessageBoxSink*>(common::CurrentMessageSink()), nullptr);
    EXPECT_NE(dynamic_cast<ui::DesktopDocumentOpener*>(common::CurrentDocumentOpener()), nullptr);
    common::SetMessageSink(sink);
    common::SetDocumentOpener(nullptr);
}

TEST(DocumentUrl, AddressesStayLocalNamesBecomeFiles) {
    EXPECT_EQ(ui::DocumentUrl(QStringLiteral("http://example.com/a.htm"), QString()).toString(),
              QStringLiteral("http://example.com/a.htm"));
    EXPECT_EQ(ui::DocumentUrl(QStringLiteral("HELP1.HTM"), QStringLiteral("/opt/suite/bin/")),
              QUrl::fromLocalFile(QStringLiteral("/opt/suite/bin/HELP1.HTM")));
    EXPECT_EQ(ui::DocumentUrl(QStringLiteral("/tmp/work 1.xls"), QStringLiteral("/elsewhere")),
              QUrl::fromLocalFile(QStringLiteral("/tmp/work 1.xls")));
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
