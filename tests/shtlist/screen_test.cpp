#include "common/cp932.h"
#include "common/return_table.h"
#include "fake_dialogs.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "shtlist/settings.h"
#include "shtlist/ui/frm_shtlist1.h"
#include "shtlist_env.h"
#include "typing.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

namespace {

using testing_support::CommitFromInputMethod;
using testing_support::TypeCharacters;

class ShtlistScreenTest : public shtlist_test::ShtlistTest {
protected:
    // The screen as start-up leaves it, with a runner that records the target.
    void Open() {
        screen_ = std::make_unique<shtlist::SheetListScreen>();
        screen_->SetRunner([this](const QString& target) {
            runs_.append(target);
            enabledDuringRun_ = screen_->isEnabled();
            return outcome_;
        });
        screen_->LoadSettings();
        screen_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(screen_.get()));
    }
    QLineEdit* Box() const { return screen_->findChild<QLineEdit*>(QStringLiteral("txtOtFname")); }
    // Keys are typed in the box; the screen sees them first.
    void Key(Qt::Key key) { QTest::keyClick(Box(), key); }

    testing_support::FakeMessages messages_;
    testing_support::FakeProcess process_;
    testing_support::FakeDialogs dialogs_;
    std::unique_ptr<shtlist::SheetListScreen> screen_;
    QStringList runs_;
    bool enabledDuringRun_ = true;
    // What the run hands back to the screen.
    tools::RunOutcome outcome_ = tools::NoResult(tools::AfterRun::EndWithoutSaving);
};

TEST_F(ShtlistScreenTest, F12ChecksTheWorkbookAndRunsOnTheTrimmedPath) {
    Open();
    EXPECT_EQ(screen_->windowTitle(), QStringLiteral("(SHTLIST1) "));
    EXPECT_EQ(Box()->text(), QString());
    Key(Qt::Key_F12);
    EXPECT_EQ(messages_.Texts(), QStringList{QStringLiteral("そのファイルは存在しません。")});
    EXPECT_TRUE(runs_.isEmpty());
    EXPECT_TRUE(Box()->hasFocus());

    Touch(Book(QStringLiteral("月次.XlS")));
    Box()->setText(QStringLiteral(" ") + Book(QStringLiteral("月次.XlS")) + QStringLiteral("  "));
    Key(Qt::Key_F12);
    EXPECT_EQ(runs_, QStringList{Book(QStringLiteral("月次.XlS"))});
    EXPECT_FALSE(enabledDuringRun_);
    EXPECT_EQ(process_.ends, QList<int>{0});
}

TEST_F(ShtlistScreenTest, F9ChoosesAWorkbookFromTheRememberedFolder) {
    ASSERT_TRUE(shtlist::WriteSettingsFile(QStringLiteral("/data/books/old.xls")));
    Open();
    EXPECT_EQ(Box()->text(), QStringLiteral("/data/books/old.xls"));

    dialogs_.Cancel();
    Key(Qt::Key_F9);
    ASSERT_EQ(dialogs_.requests.size(), 1);
    const ui::FileDialogRequest& request = dialogs_.requests.first();
    EXPECT_EQ(request.kind, ui::FileDialogKind::OpenFile);
    EXPECT_EQ(request.title, QStringLiteral("ファイル読込"));
    EXPECT_EQ(
        request.filter,
        QStringLiteral("(*.XLS)|*.XLS|(*.xls;*.xlsx;*.xlsm;*.ods)|*.xls;*.xlsx;*.xlsm;*.ods"));
    EXPECT_EQ(request.initialFolder, QStringLiteral("/data/books/"));
    EXPECT_EQ(request.defaultExtension, QString());
    EXPECT_EQ(Box()->text(), QStringLiteral("/data/books/old.xls"));

    // A name without a three-letter extension gets ".XLS"; the next dialog
    // opens in the chosen folder.
    dialogs_.Choose(Book(QStringLiteral("Summary")));
    Key(Qt::Key_F9);
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("Summary.XLS")));
    dialogs_.Choose(Book(QStringLiteral("a.xls")));
    Key(Qt::Key_F9);
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("a.xls")));
    for (const QString& modern :
         {QStringLiteral("b.xlsx"), QStringLiteral("c.XLSM"), QStringLiteral("d.ods")}) {
        dialogs_.Choose(Book(modern));
        Key(Qt::Key_F9);
        EXPECT_EQ(Box()->text(), Book(modern));
    }
    EXPECT_EQ(dialogs_.requests.last().initialFolder, BooksFolder() + QLatin1Char('/'));
}

TEST_F(ShtlistScreenTest, EscSavesTheBoxAsTypedAndStartsTheCaller) {
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("SHTLIST")));
    Open();
    Box()->setText(QStringLiteral(" 表.xls"));
    Key(Qt::Key_Escape);

    const QByteArray text = common::ToCp932(QStringLiteral(" 表.xls"));
    const QByteArray record = ReadFile(shtlist::SettingsPath());
    ASSERT_EQ(record.size(), shtlist::kRecordLength);
    EXPECT_EQ(record.left(2 + text.size()), QByteArray(1, char(text.size())) + '\0' + text);
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().program, QStringLiteral("HUBMENU"));
    EXPECT_FALSE(process_.ends.isEmpty());
    EXPECT_FALSE(screen_->isVisible());
}

// The screen leaves as the run's outcome says, and only after a return to the
// caller opens the result.
TEST_F(ShtlistScreenTest, AfterARunTheScreenLeavesAsTheOutcomeSays) {
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("SHTLIST")));
    const QString target = Book(QStringLiteral("月次.xls"));
    Touch(target);
    auto stored = [this] { return shtlist::DecodeSettings(ReadFile(shtlist::SettingsPath())); };
    auto runOnce = [&](const tools::RunOutcome& outcome) {
        QFile::remove(shtlist::SettingsPath());
        process_.starts.clear();
        process_.ends.clear();
        outcome_ = outcome;
        Open();
        Box()->setText(target);
        Key(Qt::Key_F12);
    };

    tools::RunOutcome saved = tools::NoResult(tools::AfterRun::ReturnToCaller);
    saved.result.file = target;
    saved.result.notFound = {QStringLiteral("見つかりません"), common::MsgIcon::Information};
    runOnce(saved);
    EXPECT_EQ(stored(), target);
    ASSERT_FALSE(process_.starts.isEmpty());
    EXPECT_EQ(process_.starts.first().program, QStringLiteral("HUBMENU"));
    if (tools::OfficeLauncher().isEmpty()) {
        EXPECT_EQ(messages_.LastText(), QStringLiteral("見つかりません"));
    } else {
        ASSERT_EQ(process_.starts.size(), 2);
        EXPECT_EQ(process_.starts[1].args, QStringList{target});
    }
    EXPECT_EQ(process_.ends, QList<int>{0});

    // A run that could not start: the caller comes back, nothing is opened.
    saved.next = tools::AfterRun::EndProgram;
    runOnce(saved);
    EXPECT_EQ(stored(), target);
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().program, QStringLiteral("HUBMENU"));
    EXPECT_FALSE(process_.ends.isEmpty());

    // Nothing kept: no settings written, no caller started.
    runOnce(tools::NoResult(tools::AfterRun::EndWithoutSaving));
    EXPECT_EQ(stored(), QString());
    EXPECT_TRUE(process_.starts.isEmpty());
    EXPECT_EQ(process_.ends, QList<int>{0});
    EXPECT_EQ(runs_.size(), 3);
}

// SHTLIST.PRM keeps the path in cp932: a path with characters it cannot hold
// is refused where it enters, so the next start does not show another path.
TEST_F(ShtlistScreenTest, PathsTheSettingsFileCannotKeepAreRefusedWhereTheyEnter) {
    ASSERT_TRUE(shtlist::WriteSettingsFile(Book(QStringLiteral("前.xls"))));
    Open();
    dialogs_.Choose(Book(QStringLiteral("café〜.xls")));
    Key(Qt::Key_F9);
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().contains(QStringLiteral("「é」(U+00E9)、「〜」(U+301C)")));
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("前.xls")));
    EXPECT_EQ(screen_->DialogFolder(), BooksFolder() + QLatin1Char('/'));

    Box()->end(false);
    TypeCharacters(Box(), QStringLiteral("ü"));
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("前.xls")));
    EXPECT_EQ(messages_.Count(), 2);
    CommitFromInputMethod(Box(), QStringLiteral("〜"));
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("前.xls")));
    EXPECT_EQ(messages_.Count(), 3);
    QTest::keyClick(Box(), Qt::Key_Backspace);
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("前.xl")));

    Key(Qt::Key_Escape);
    EXPECT_EQ(shtlist::DecodeSettings(ReadFile(shtlist::SettingsPath())),
              Book(QStringLiteral("前.xl")));
}

} // namespace
