#include "common/cp932.h"
#include "common/return_table.h"
#include "fake_dialogs.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "shtlist/settings.h"
#include "shtlist/ui/frm_shtlist1.h"
#include "shtlist_env.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using testing_support::FakeDialogs;
using testing_support::FakeMessages;
using testing_support::FakeProcess;

class ShtlistScreenTest : public shtlist_test::ShtlistTest {
protected:
    // The screen as the program's start-up leaves it: loaded and shown, with
    // a runner that records the target instead of running the engine.
    void Open() {
        screen_ = std::make_unique<shtlist::FrmShtlist1>();
        screen_->SetRunner([this](const QString& target, shtlist::ProgramHost& host) {
            runs_.append(target);
            enabledDuringRun_ = screen_->isEnabled();
            if (onRun_)
                onRun_(host);
        });
        screen_->SetRunEnabled(false);
        screen_->LoadSettings();
        screen_->show();
        screen_->SetRunEnabled(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(screen_.get()));
    }
    QLineEdit* Box() const { return screen_->findChild<QLineEdit*>(QStringLiteral("txtOtFname")); }
    // Keys go to the box, as typed there; the screen sees them first.
    void Key(int key) { QTest::keyClick(Box(), Qt::Key(key)); }

    FakeMessages messages_;
    FakeProcess process_;
    FakeDialogs dialogs_;
    std::unique_ptr<shtlist::FrmShtlist1> screen_;
    QStringList runs_;
    bool enabledDuringRun_ = true;
    std::function<void(shtlist::ProgramHost&)> onRun_;
};

TEST_F(ShtlistScreenTest, FirstStartHasAnEmptyBoxAndF12ReportsTheMissingFile) {
    Open();
    EXPECT_EQ(screen_->windowTitle(), QStringLiteral("(SHTLIST1) "));
    EXPECT_EQ(Box()->text(), QString());

    Key(Qt::Key_F12);
    EXPECT_EQ(messages_.Texts(), QStringList{QStringLiteral("そのファイルは存在しません。")});
    EXPECT_TRUE(runs_.isEmpty());
    EXPECT_TRUE(Box()->hasFocus());
    EXPECT_TRUE(screen_->isEnabled());
    EXPECT_TRUE(process_.ends.isEmpty());
}

TEST_F(ShtlistScreenTest, F12RefusesOtherExtensionsAndRunsOnAnExistingWorkbook) {
    WriteFile(Book(QStringLiteral("memo.txt")), "x");
    WriteFile(Book(QStringLiteral("月次.XlS")), "x");
    Open();

    Box()->setText(Book(QStringLiteral("memo.txt")));
    Key(Qt::Key_F12);
    EXPECT_EQ(messages_.LastText(), QStringLiteral("エクセルファイル(XLS)以外は扱えません。"));
    EXPECT_TRUE(runs_.isEmpty());
    EXPECT_TRUE(Box()->hasFocus());

    // Blanks around the name are left out of the run parameter; the screen
    // is disabled while the run works and the program ends after it.
    Box()->setText(QStringLiteral(" ") + Book(QStringLiteral("月次.XlS")) + QStringLiteral("  "));
    Key(Qt::Key_F12);
    EXPECT_EQ(runs_, QStringList{Book(QStringLiteral("月次.XlS"))});
    EXPECT_FALSE(enabledDuringRun_);
    EXPECT_EQ(process_.ends, QList<int>{0});
}

TEST_F(ShtlistScreenTest, BareNameIsRewrittenToTheDocumentsFolder) {
    ASSERT_TRUE(QDir().mkpath(Documents()));
    WriteFile(Documents() + QStringLiteral("/一覧.xls"), "x");
    Open();
    Box()->setText(QStringLiteral("一覧.xls"));
    ASSERT_TRUE(QDir::setCurrent(Documents()));
    Key(Qt::Key_F12);
    EXPECT_EQ(Box()->text(), Documents() + QStringLiteral("/一覧.xls"));
    EXPECT_EQ(runs_, QStringList{Documents() + QStringLiteral("/一覧.xls")});
}

TEST_F(ShtlistScreenTest, F9ChoosesAWorkbookAndRemembersItsFolder) {
    ASSERT_TRUE(shtlist::WriteSettingsFile(QStringLiteral("/data/books/old.xls")));
    Open();
    EXPECT_EQ(Box()->text(), QStringLiteral("/data/books/old.xls"));
    EXPECT_EQ(screen_->DialogFolder(), QStringLiteral("/data/books/"));

    dialogs_.Cancel();
    Key(Qt::Key_F9);
    ASSERT_EQ(dialogs_.requests.size(), 1);
    const ui::FileDialogRequest& request = dialogs_.requests.first();
    EXPECT_EQ(request.kind, ui::FileDialogKind::OpenFile);
    EXPECT_EQ(request.title, QStringLiteral("ファイル読込"));
    EXPECT_EQ(request.filter, QStringLiteral("(*.XLS)|*.XLS"));
    EXPECT_EQ(request.initialFolder, QStringLiteral("/data/books/"));
    EXPECT_EQ(request.initialFileName, QString());
    EXPECT_EQ(request.defaultExtension, QString());
    EXPECT_EQ(Box()->text(), QStringLiteral("/data/books/old.xls"));

    // A name without a three-letter extension gets ".XLS", and then fails
    // the existence check.
    dialogs_.Choose(Book(QStringLiteral("Summary")));
    Key(Qt::Key_F9);
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("Summary.XLS")));
    EXPECT_EQ(screen_->DialogFolder(), BooksFolder() + QLatin1Char('/'));
    EXPECT_EQ(screen_->DialogFile(), QStringLiteral("Summary.XLS"));
    Key(Qt::Key_F12);
    EXPECT_EQ(messages_.LastText(), QStringLiteral("そのファイルは存在しません。"));

    dialogs_.Choose(Book(QStringLiteral("a.xls")));
    Key(Qt::Key_F9);
    EXPECT_EQ(Box()->text(), Book(QStringLiteral("a.xls")));
    EXPECT_EQ(dialogs_.requests.last().initialFolder, BooksFolder() + QLatin1Char('/'));
}

TEST_F(ShtlistScreenTest, EscSavesTheBoxAsTypedAndStartsTheCaller) {
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("SHTLIST")));
    Open();
    Box()->setText(QStringLiteral(" 表.xls"));
    Key(Qt::Key_Escape);

    const QByteArray record = ReadFile(shtlist::SettingsPath());
    const QByteArray text = common::ToCp932(QStringLiteral(" 表.xls"));
    ASSERT_EQ(record.size(), shtlist::kRecordLength);
    EXPECT_EQ(record.mid(2, text.size()), text);
    EXPECT_EQ(int(quint8(record[0])), int(text.size()));

    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().program, QStringLiteral("HUBMENU"));
    EXPECT_FALSE(process_.ends.isEmpty());
    EXPECT_FALSE(screen_->isVisible());
}

TEST_F(ShtlistScreenTest, ReturnToCallerFromTheRunStartsTheCallerOnce) {
    WriteFile(Book(QStringLiteral("b.xls")), "x");
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("SHTLIST")));
    Open();
    Box()->setText(Book(QStringLiteral("b.xls")));
    onRun_ = [this](shtlist::ProgramHost& host) {
        host.ReturnToCaller();
        // The caller is running, the process still is.
        EXPECT_EQ(process_.starts.size(), 1);
        EXPECT_TRUE(process_.ends.isEmpty());
        host.ReturnToCaller();
    };
    Key(Qt::Key_F12);
    EXPECT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.ends, QList<int>{0});
    QString stored;
    ASSERT_TRUE(shtlist::ReadSettingsFile(&stored));
    EXPECT_EQ(stored, Book(QStringLiteral("b.xls")));
}

} // namespace
