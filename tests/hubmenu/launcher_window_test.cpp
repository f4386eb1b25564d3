#include "common/return_table.h"
#include "common/test_env.h"
#include "hubmenu/click_label.h"
#include "hubmenu/frm_hubmenu1.h"
#include "hubmenu/launcher_actions.h"
#include "hubmenu/launcher_lock.h"
#include "hubmenu/settings_file.h"
#include "support/fake_messages.h"
#include "support/fake_process.h"
#include "support/full_disk.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

using namespace hubmenu;
using testing_support::FakeMessages;
using testing_support::FakeProcess;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString PictureFolder() {
    return qEnvironmentVariable("SUITE_SOURCE_DIR") + QStringLiteral("/data/launcher");
}

void Hover(QWidget* widget) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(widget, &enter);
}

// The launcher as its start-up leaves it: data folder, lock, window shown.
class LauncherWindow : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        ASSERT_TRUE(QDir(common::DataFolder()).removeRecursively());
    }

    void Start() {
        lock = PrepareLauncher();
        ASSERT_NE(lock, nullptr);
        const LauncherSettings settings = LoadSettings(SettingsPath());
        window = std::make_unique<LauncherScreen>(PictureFolder());
        window->SetLock(lock.get());
        window->Open(settings.background, settings.lastToolTab);
    }

    ClickLabel* Button(const char* name) { return window->Button(QString::fromLatin1(name)); }

    FakeMessages messages;
    FakeProcess process;
    std::unique_ptr<LauncherLock> lock;
    std::unique_ptr<LauncherScreen> window;
};

} // namespace

TEST_F(LauncherWindow, FirstStartCreatesTheFolderAndMarksNothing) {
    Start();
    EXPECT_TRUE(QFileInfo(common::DataFolder()).isDir());
    EXPECT_TRUE(QFile::exists(SettingsPath()));
    EXPECT_EQ(window->Background(), 3);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("(HUBMENU1) "));
    for (const char* name : {"cmdCOSTCMP", "cmdBOOKMRG", "cmdSHTLIST", "cmdESC", "cmdLINK"})
        EXPECT_FALSE(Button(name)->IsBold()) << name;
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("lblGaide"))->isVisible());
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("shpEn"))->isVisible());
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(LauncherWindow, MarksTheToolStartedLastByItsTabPosition) {
    ASSERT_TRUE(QDir().mkpath(common::DataFolder()));
    ASSERT_TRUE(SaveToolStart(SettingsPath(), 10, 5));
    Start();
    EXPECT_EQ(window->Background(), 5);
    EXPECT_TRUE(Button("cmdBOOKMRG")->IsBold());
    EXPECT_EQ(Button("cmdBOOKMRG")->TextColour(), QColor(0, 0, 255));
    for (const char* name : {"cmdCOSTCMP", "cmdSHTLIST", "cmdLINK", "cmdSAISYO"}) {
        EXPECT_FALSE(Button(name)->IsBold()) << name;
        EXPECT_NE(Button(name)->TextColour(), QColor(0, 0, 255)) << name;
    }
    // Only controls whose name begins with "cmd" are marked.
    EXPECT_EQ(window->MarkLastTool(3), nullptr); // lblSeiTitle
    EXPECT_EQ(window->MarkLastTool(0), nullptr);
    EXPECT_EQ(window->MarkLastTool(2), Button("cmdCOSTCMP"));
}

TEST_F(LauncherWindow, MouseOverHighlightsOneButtonAndShowsTheCompany) {
    ASSERT_TRUE(QDir().mkpath(common::DataFolder()));
    ASSERT_TRUE(SaveToolStart(SettingsPath(), 2, 3));
    Start();
    EXPECT_TRUE(Button("cmdSHTLIST")->IsOpaque()); // light cyan until the first mouse-over

    Hover(Button("cmdLINK"));
    EXPECT_TRUE(Button("cmdLINK")->IsOpaque());
    EXPECT_EQ(Button("cmdLINK")->TextColour(), QColor(0, 0, 255));
    const QColor buttonText = QApplication::palette().color(QPalette::ButtonText);
    for (const char* name : {"cmdCOSTCMP", "cmdSHTLIST", "cmdESC"}) {
        EXPECT_FALSE(Button(name)->IsOpaque()) << name;
        EXPECT_EQ(Button(name)->TextColour(), buttonText) << name;
    }
    // The marked button keeps its bold caption but loses its colour.
    EXPECT_TRUE(Button("cmdCOSTCMP")->IsBold());

    auto* company = window->findChild<ClickLabel*>(QStringLiteral("shpEn"));
    EXPECT_TRUE(company->isVisible());
    const QColor c = company->TextColour();
    for (int component : {c.red(), c.green(), c.blue()}) {
        EXPECT_GE(component, 50);
        EXPECT_LE(component, 255);
    }

    // The title shows the guide; the window's free area hides it again.
    auto* guide = window->findChild<QWidget*>(QStringLiteral("lblGaide"));
    Hover(window->findChild<QWidget*>(QStringLiteral("lblSeiTitle")));
    EXPECT_TRUE(guide->isVisible());
    QTest::mouseMove(window.get(), QPoint(300, 400));
    EXPECT_FALSE(guide->isVisible());
}

TEST(LauncherGuideColour, ComponentsStayBetween50And255) {
    QRandomGenerator random(12345);
    bool capped = false;
    for (int i = 0; i < 2000; ++i) {
        const QColor c = GuideColour(random);
        for (int component : {c.red(), c.green(), c.blue()}) {
            ASSERT_GE(component, 50);
            ASSERT_LE(component, 255);
            capped = capped || component == 255;
        }
    }
    EXPECT_TRUE(capped); // values above 205 are taken as 255
}

TEST_F(LauncherWindow, StartingAToolStoresSettingsRegistersTheWayBackAndEnds) {
    Start();
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("imgN1_5")), Qt::LeftButton);
    EXPECT_EQ(window->Background(), 5);
    // Choosing a picture alone writes nothing.
    EXPECT_EQ(FileBytes(SettingsPath()), QByteArray());

    QTest::mouseClick(Button("cmdBOOKMRG"), Qt::LeftButton);
    EXPECT_EQ(FileBytes(SettingsPath()), QByteArray("0105"));
    EXPECT_EQ(common::ReadReturnTarget(QStringLiteral("BOOKMRG")), QStringLiteral("HUBMENU"));
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].program, QStringLiteral("BOOKMRG"));
    EXPECT_TRUE(process.starts[0].args.isEmpty());
    EXPECT_FALSE(process.ends.isEmpty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->isEnabled());
    // The lock is given up, so the tool can bring the launcher back at once.
    EXPECT_FALSE(lock->IsHeld());

    // Further clicks are ignored.
    QTest::mouseClick(Button("cmdCOSTCMP"), Qt::LeftButton);
    EXPECT_EQ(process.starts.size(), 1);
}

TEST_F(LauncherWindow, MissingToolProgramIsReportedAndTheLauncherEnds) {
    process.missing = {QStringLiteral("SHTLIST")};
    Start();
    QTest::mouseClick(Button("cmdSHTLIST"), Qt::LeftButton);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("ｴﾗｰ53:SHTLISTがありません"));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_FALSE(process.ends.isEmpty());
    EXPECT_EQ(FileBytes(SettingsPath()), QByteArray("0143"));
}

TEST_F(LauncherWindow, EscStoresOnlyTheBackground) {
    ASSERT_TRUE(QDir().mkpath(common::DataFolder()));
    ASSERT_TRUE(SaveToolStart(SettingsPath(), 2, 3));
    Start();
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("imgN1_5")), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(FileBytes(SettingsPath()), QByteArray("0025"));
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_FALSE(process.ends.isEmpty());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(LoadSettings(SettingsPath()).background, 5);
}

// HUBMENU.PRM went to 0 bytes on Esc when the disk was full, without a word.
TEST_F(LauncherWindow, EscOnAFullDiskKeepsTheSettingsAndSaysSo) {
    testing_support::FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    qputenv("APPDATA", QFile::encodeName(disk.Path()));
    common::SetDataFolder();
    ASSERT_TRUE(QDir().mkpath(common::DataFolder()));
    ASSERT_TRUE(SaveToolStart(SettingsPath(), 2, 3));
    Start();
    ASSERT_TRUE(disk.Fill());
    QTest::mouseClick(window->findChild<QWidget*>(QStringLiteral("imgN1_5")), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(FileBytes(SettingsPath()), QByteArray("0023"));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("設定を保存できませんでした。")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("前の内容のまま")));
    EXPECT_FALSE(process.ends.isEmpty());
}

TEST_F(LauncherWindow, SecondLauncherIsRefusedWithItsMessage) {
    Start();
    EXPECT_EQ(PrepareLauncher(), nullptr);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("システムは、すでに起動されています"));
    EXPECT_EQ(messages.messages[0].icon, common::MsgIcon::None);
    EXPECT_EQ(messages.messages[0].buttons, common::MsgButtons::Ok);
    EXPECT_TRUE(lock->IsHeld()); // the first stays
}

namespace {

// Records what the clicked label showed while its page was being opened.
class CaptionSpy : public common::DocumentOpener {
public:
    bool Open(const QString& target, const QString& parameters, const QString&) override {
        targets.append(target);
        captions.append(label ? label->text() : QString());
        EXPECT_TRUE(parameters.isEmpty());
        return false; // a page that cannot be opened is not reported
    }
    QLabel* label = nullptr;
    QStringList targets;
    QStringList captions;
};

} // namespace

TEST_F(LauncherWindow, PagesOpenWithAPreparingCaption) {
    Start();
    CaptionSpy spy;
    const common::ScopedOverride spyInPlace(common::DocumentOpenerSeam(), &spy);
    const QString folder = PictureFolder();

    const std::pair<const char*, QString> cases[] = {
        {"cmdSAISYO", folder + QStringLiteral("/HELP1.HTM")},
        {"cmdLINK", QUrl::fromLocalFile(folder + QStringLiteral("/LINK.HTM")).toString()},
        {"cmdToi", QUrl::fromLocalFile(folder + QStringLiteral("/INQUIRY.HTM")).toString()},
        {"cmdSAICHK", QUrl::fromLocalFile(folder + QStringLiteral("/UPDATE.HTM")).toString()},
    };
    for (const auto& [name, target] : cases) {
        ClickLabel* button = Button(name);
        const QString caption = button->text();
        spy.label = button;
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(spy.captions.last(), QStringLiteral("準備中")) << name;
        EXPECT_EQ(spy.targets.last(), target) << name;
        EXPECT_EQ(button->text(), caption) << name;
    }

    auto* company = window->findChild<ClickLabel*>(QStringLiteral("shpEn"));
    Hover(Button("cmdLINK"));
    spy.label = company;
    QTest::mouseClick(company, Qt::LeftButton);
    EXPECT_TRUE(spy.targets.last().endsWith(QStringLiteral("/HOME.HTM")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_TRUE(process.ends.isEmpty());
}
