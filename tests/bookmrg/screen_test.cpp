#include "bookmrg/book_list.h"
#include "bookmrg/run_check.h"
#include "bookmrg/settings.h"
#include "bookmrg/ui/frm_bookmrg1.h"
#include "bookmrg/ui/frm_bookmrg1_help.h"
#include "common/return_table.h"
#include "fake_dialogs.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "typing.h"
#include "workbook_tools/tool_env.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

namespace {

using testing_support::CommitFromInputMethod;
using testing_support::TypeCharacters;

using bookmrg::ConsolidationScreen;
using bookmrg::RunParams;

class ScreenTest : public tools_test::ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        screen = std::make_unique<ConsolidationScreen>();
        screen->SetRunner([this](const RunParams& p) {
            runs.append(p);
            return tools::NoResult(tools::AfterRun::EndWithoutSaving);
        });
    }
    void TearDown() override {
        screen.reset();
        ToolTest::TearDown();
    }

    template <typename T> T* Find(const char* name) {
        T* w = screen->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
    QListWidget* List() { return Find<QListWidget>("List1"); }
    void Click(const char* name) { Find<QPushButton>(name)->click(); }
    void Key(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
    }
    QStringList ExistingBooks(const QStringList& names) {
        QStringList paths;
        for (const QString& n : names) {
            paths.append(Book(n));
            Touch(paths.last());
        }
        return paths;
    }
    void StoreSettings(const bookmrg::Settings& s) { ASSERT_TRUE(bookmrg::WriteSettingsFile(s)); }

    testing_support::FakeMessages messages;
    testing_support::FakeDialogs dialogs;
    testing_support::FakeProcess process;
    std::unique_ptr<ConsolidationScreen> screen;
    QList<RunParams> runs;
};

TEST_F(ScreenTest, LoadsStoredSettingsAndStartsEmptyWithoutThem) {
    screen->LoadSettings();
    EXPECT_TRUE(QFileInfo::exists(bookmrg::SettingsPath()));
    EXPECT_TRUE(Box("txtOtFname")->text().isEmpty());
    EXPECT_EQ(List()->count(), 0);
    // An empty record selects the partial match.
    EXPECT_TRUE(Find<QRadioButton>("optStIti2")->isChecked());
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("(BOOKMRG1) "));

    bookmrg::Settings s;
    s.outputBook = QStringLiteral("/o/結果.xls");
    s.exclude1 = QStringLiteral("目次");
    s.books = {QStringLiteral("/d/b.xls"), QStringLiteral("/d/C.xls"), QStringLiteral("/d/a.xls")};
    s.matchMode = QStringLiteral("1");
    StoreSettings(s);
    screen->LoadSettings();
    EXPECT_EQ(Box("txtOtFname")->text(), s.outputBook);
    EXPECT_EQ(Box("txtJgy_1")->text(), s.exclude1);
    EXPECT_TRUE(Find<QRadioButton>("optStIti1")->isChecked());
    EXPECT_EQ(screen->BookLines(), QStringList({"/d/a.xls", "/d/b.xls", "/d/C.xls"}));
    EXPECT_EQ(screen->OutputFolder(), QStringLiteral("/o/"));
    EXPECT_EQ(screen->AddFolder(), QStringLiteral("/d/"));
}

TEST_F(ScreenTest, AddAndOutputDialogsAndListEditing) {
    screen->LoadSettings();
    screen->show();
    dialogs.ChooseFiles({Book("b.xls"), Book("a.xls")});
    Key(Box("txtOtFname"), Qt::Key_F6);
    ASSERT_EQ(dialogs.requests.size(), 1);
    const ui::FileDialogRequest& add = dialogs.requests[0];
    EXPECT_EQ(add.kind, ui::FileDialogKind::OpenFiles);
    EXPECT_EQ(add.title, QStringLiteral("ファイル読込"));
    // The classic filter first, then the workbooks of every format read.
    EXPECT_EQ(
        add.filter,
        QStringLiteral("(*.xls)|*.xls|(*.xls;*.xlsx;*.xlsm;*.ods)|*.xls;*.xlsx;*.xlsm;*.ods"));
    EXPECT_EQ(ui::ToQtNameFilters(add.filter).value(0), QStringLiteral("(*.xls)"));
    EXPECT_EQ(add.defaultExtension, QStringLiteral("xls"));
    EXPECT_EQ(screen->BookLines(), QStringList({Book("a.xls"), Book("b.xls")}));
    EXPECT_EQ(screen->AddFolder(), Book(""));

    // The same book may be listed twice; a cancelled dialog changes nothing.
    dialogs.ChooseFiles({Book("A.xls")});
    Click("cmdF6");
    dialogs.Cancel();
    Click("cmdF6");
    EXPECT_EQ(dialogs.requests[1].initialFolder, Book(""));
    EXPECT_EQ(screen->BookLines(), QStringList({Book("a.xls"), Book("A.xls"), Book("b.xls")}));

    dialogs.Choose(Temp("Summary"));
    Key(Box("txtJgy_1"), Qt::Key_F9);
    const ui::FileDialogRequest& save = dialogs.requests.last();
    EXPECT_EQ(save.kind, ui::FileDialogKind::SaveFile);
    EXPECT_EQ(save.title, QStringLiteral("ファイル保存"));
    EXPECT_EQ(save.filter, QStringLiteral("(*.XLS)|*.XLS|(*.xlsx)|*.xlsx"));
    EXPECT_TRUE(save.defaultExtension.isEmpty());
    EXPECT_EQ(Box("txtOtFname")->text(), Temp("Summary.XLS"));
    dialogs.Choose(Temp("Summary.xls"));
    Click("cmdF9");
    EXPECT_EQ(Box("txtOtFname")->text(), Temp("Summary.xls"));
    EXPECT_EQ(screen->OutputFolder(), Temp("") + "/");
    // Today's format keeps its four-letter extension.
    dialogs.Choose(Temp("Summary.xlsx"));
    Click("cmdF9");
    EXPECT_EQ(Box("txtOtFname")->text(), Temp("Summary.xlsx"));

    // Removing: nothing selected, the selected line, a double-clicked line.
    List()->clearSelection();
    List()->setCurrentItem(nullptr);
    Click("Command2");
    EXPECT_EQ(messages.LastText(), QStringLiteral("選択されていません"));
    List()->setCurrentRow(1);
    Click("Command2");
    EXPECT_EQ(screen->BookLines(), QStringList({Book("a.xls"), Book("b.xls")}));
    emit List()->itemDoubleClicked(List()->item(0));
    EXPECT_EQ(screen->BookLines(), QStringList({Book("b.xls")}));
    Click("Command1");
    EXPECT_EQ(List()->count(), 0);

    Box("txtJgy_1")->setText("a");
    Box("txtJgy_2")->setText("b");
    Click("Command4");
    EXPECT_TRUE(Box("txtJgy_1")->text().isEmpty() && Box("txtJgy_2")->text().isEmpty());
}

TEST_F(ScreenTest, RunChecksTheListAndTheNameBeforeHandingOver) {
    screen->LoadSettings();
    screen->show();
    const QStringList books = ExistingBooks({"a.xls", "b.xls"});
    for (const QString& b : books)
        List()->addItem(b);

    // A listed book missing: its line is selected (already while the message
    // is shown), nothing runs.
    int rowAtMessage = -1;
    messages.onShow = [&](const testing_support::FakeMessages::Message&) {
        rowAtMessage = List()->currentRow();
    };
    List()->addItem(Book("zz.xls"));
    Box("txtOtFname")->setText(QStringLiteral("Book1"));
    Key(Box("txtOtFname"), Qt::Key_F12);
    EXPECT_EQ(messages.LastText(),
              QStringLiteral("そのファイルは存在しません。対象から外してください"));
    EXPECT_EQ(List()->currentRow(), 2);
    EXPECT_EQ(rowAtMessage, 2);
    EXPECT_TRUE(runs.isEmpty());
    delete List()->takeItem(2);
    messages.onShow = nullptr;

    // The bare name would become a listed book in the documents folder.
    QDir().mkpath(Documents());
    Touch(Documents() + "/Book1.xls");
    List()->addItem(Documents() + "/Book1.xls");
    Click("cmdF12");
    EXPECT_EQ(messages.LastText(), bookmrg::SameNameMessage());
    EXPECT_EQ(List()->currentRow(), 2);
    EXPECT_EQ(Box("txtOtFname")->text(), Documents() + "/Book1");
    EXPECT_TRUE(runs.isEmpty());
    delete List()->takeItem(2);

    Box("txtOtFname")->setText(QStringLiteral(" Book1 "));
    Box("txtJgy_1")->setText(QStringLiteral(" 目次 "));
    Find<QRadioButton>("optStIti1")->setChecked(true);
    Click("cmdF12");
    ASSERT_EQ(runs.size(), 1);
    EXPECT_EQ(runs[0].outputBook, Documents() + "/Book1");
    EXPECT_EQ(runs[0].exclude1, QStringLiteral("目次"));
    EXPECT_EQ(runs[0].matchMode, QStringLiteral("1"));
    EXPECT_EQ(runs[0].books, books);
    EXPECT_FALSE(screen->isVisible());
    EXPECT_EQ(process.ends, QList<int>({0}));
}

TEST_F(ScreenTest, EscSavesTheSettingsAndStartsTheCaller) {
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("BOOKMRG")));
    screen->LoadSettings();
    screen->show();
    for (int i = 1; i <= 65; ++i)
        List()->addItem(QStringLiteral("/b/%1.xls").arg(i, 2, 10, QLatin1Char('0')));
    Box("txtOtFname")->setText(QStringLiteral("/o/out.xls"));

    // More than 64 books never run.
    Click("cmdF12");
    EXPECT_EQ(messages.LastText(), QStringLiteral("６４ブックまでしか指定できません"));
    EXPECT_TRUE(runs.isEmpty());

    Key(Box("txtJgy_2"), Qt::Key_Escape);
    EXPECT_FALSE(screen->isVisible());
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].program, QStringLiteral("HUBMENU"));
    EXPECT_FALSE(process.ends.isEmpty());

    // The first 64 lines are kept, with the output and the mode.
    bookmrg::Settings stored;
    ASSERT_TRUE(bookmrg::ReadSettingsFile(&stored));
    EXPECT_EQ(stored.books.size(), 64);
    EXPECT_EQ(stored.books.last(), QStringLiteral("/b/64.xls"));
    EXPECT_EQ(stored.outputBook, QStringLiteral("/o/out.xls"));
    EXPECT_EQ(stored.matchMode, QStringLiteral("2"));
}

// BOOKMRG.PRM keeps paths in cp932 fields of 255 bytes: a path that would
// come back changed ("café" as "caf?", a long Japanese path cut) is refused
// where it enters, from a dialog or typed, so what is saved is what was shown.
TEST_F(ScreenTest, PathsTheSettingsFileCannotKeepAreRefusedWhereTheyEnter) {
    ASSERT_TRUE(common::WriteReturnTarget(QStringLiteral("HUBMENU"), QStringLiteral("BOOKMRG")));
    screen->LoadSettings();
    screen->show();
    const QString longBook = Book(QString(130, QChar(0x8CC7)) + QStringLiteral(".xls"));
    dialogs.ChooseFiles({Book("a.xls"), Book("café.xls"), Book("〜.xls"), longBook});
    Click("cmdF6");
    EXPECT_EQ(screen->BookLines(), QStringList{Book("a.xls")});
    ASSERT_EQ(messages.Count(), 1);
    const QString refused = messages.LastText();
    EXPECT_TRUE(refused.startsWith(QStringLiteral("次のブックは対象に加えませんでした。")));
    EXPECT_TRUE(refused.contains(QStringLiteral("「é」(U+00E9)")));
    EXPECT_TRUE(refused.contains(QStringLiteral("「〜」(U+301C)")));
    EXPECT_TRUE(refused.contains(QStringLiteral("255バイトまで")));
    EXPECT_TRUE(refused.contains(longBook));

    // The save dialog's choice: refused, the box and the folder stay.
    dialogs.Choose(Temp("Müller.xls"));
    Click("cmdF9");
    EXPECT_EQ(messages.Count(), 2);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("「ü」(U+00FC)")));
    EXPECT_EQ(Box("txtOtFname")->text(), QString());

    // Typing: the character that cannot be kept is taken back at once.
    QLineEdit* box = Box("txtOtFname");
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("/o/ab"));
    CommitFromInputMethod(box, QStringLiteral("한"));
    EXPECT_EQ(box->text(), QStringLiteral("/o/ab"));
    EXPECT_EQ(messages.Count(), 3);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("「한」(U+D55C)")));
    QTest::keyClicks(box, QStringLiteral("c.xls"));
    EXPECT_EQ(box->text(), QStringLiteral("/o/abc.xls"));
    // ... and so is the character that makes the path too long in bytes.
    box->setText(QStringLiteral("/") + QString(250, QLatin1Char('a')));
    box->end(false);
    CommitFromInputMethod(box, QStringLiteral("資資"));
    EXPECT_EQ(messages.Count(), 3);
    TypeCharacters(box, QStringLiteral("資"));
    EXPECT_EQ(box->text(),
              QStringLiteral("/") + QString(250, QLatin1Char('a')) + QStringLiteral("資資"));
    EXPECT_EQ(messages.Count(), 4);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("257バイト")));
    // A pasted path too long for the field is refused whole, not cut.
    box->clear();
    CommitFromInputMethod(box, QStringLiteral("/") + QString(299, QLatin1Char('b')));
    EXPECT_EQ(box->text(), QString());
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("300バイト")));
    box->setText(QStringLiteral("/") + QString(250, QLatin1Char('a')) + QStringLiteral("資資"));

    // What the screen holds is what the next start shows.
    const QString shown = box->text();
    Key(Box("txtJgy_2"), Qt::Key_Escape);
    bookmrg::Settings stored;
    ASSERT_TRUE(bookmrg::ReadSettingsFile(&stored));
    EXPECT_EQ(stored.outputBook, shown);
    EXPECT_EQ(stored.books, QStringList{Book("a.xls")});
}

// The sheet names to leave out are kept in cp932 as well.
TEST_F(ScreenTest, SheetNamesTheSettingsFileCannotKeepAreRefusedAsTyped) {
    screen->LoadSettings();
    screen->show();
    QLineEdit* box = Box("txtJgy_1");
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("M"));
    TypeCharacters(box, QStringLiteral("ü"));
    QTest::keyClicks(box, QStringLiteral("ller"));
    EXPECT_EQ(box->text(), QStringLiteral("Mller"));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("このシート名には")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("「ü」(U+00FC)")));
    CommitFromInputMethod(Box("txtJgy_2"), QStringLiteral("売上～集計"));
    Key(box, Qt::Key_Escape);
    bookmrg::Settings stored;
    ASSERT_TRUE(bookmrg::ReadSettingsFile(&stored));
    EXPECT_EQ(stored.exclude1, QStringLiteral("Mller"));
    EXPECT_EQ(stored.exclude2, QStringLiteral("売上～集計"));
}

TEST_F(ScreenTest, HelpScreenShowsThePictureAndCloses) {
    Click("Command3");
    bookmrg::ConsolidationHelpScreen* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<bookmrg::ConsolidationHelpScreen*>(w))
            help = h;
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("(BOOKMRG1_HELP) "));
    const QPixmap picture = help->findChild<QLabel*>("Image1")->pixmap();
    EXPECT_EQ(picture.size(), QSize(800, 560));
    EXPECT_NE(help->findChild<QWidget*>("imgHDCopy"), nullptr);
    help->findChild<QPushButton*>("Command1")->click();
    EXPECT_FALSE(help->isVisible());
}

TEST_F(ScreenTest, FirstStartWithoutAnyFileSelectsThePartialMatchAsAnEmptyRecordDoes) {
    // No data folder yet, so no settings file can be made either.
    ASSERT_TRUE(QDir(common::DataFolder()).removeRecursively());
    screen->LoadSettings();
    EXPECT_FALSE(QFileInfo::exists(bookmrg::SettingsPath()));
    EXPECT_TRUE(Find<QRadioButton>("optStIti2")->isChecked());
}

TEST_F(ScreenTest, LeavingWithMoreThanSixtyFourBooksSaysWhichAreNotKept) {
    QStringList books;
    for (int i = 1; i <= 65; ++i)
        books.append(QStringLiteral("/d/b%1.xls").arg(i, 2, 10, QChar(u'0')));
    bookmrg::Settings s;
    s.books = books.mid(0, 64);
    StoreSettings(s);
    screen->LoadSettings();
    List()->addItem(books.last());
    screen->SaveSettings();

    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("６４ブック")));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("/d/b65.xls")));
    bookmrg::Settings stored;
    ASSERT_TRUE(bookmrg::ReadSettingsFile(&stored));
    EXPECT_EQ(stored.books, books.mid(0, 64));

    // 64 books leave quietly.
    messages.messages.clear();
    delete List()->takeItem(List()->count() - 1);
    screen->SaveSettings();
    EXPECT_EQ(messages.Count(), 0);
}

// The help picture shows the books in the order the list puts them, which is
// the order of the consolidation.
TEST(HelpPicture, ShowsTheBooksInTheOrderOfTheList) {
    QFile svg(qEnvironmentVariable("SUITE_SOURCE_DIR") +
              QStringLiteral("/data/help/BOOKMRG_HELP.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString source = QString::fromUtf8(svg.readAll());
    // The twelve books of the picture, as drawn (left to right, top down).
    QStringList drawn;
    const QRegularExpression book(QStringLiteral("#book\"[^>]*/>\\s*<text[^>]*>([^<]+)</text>"));
    for (auto it = book.globalMatch(source); it.hasNext();)
        drawn.append(it.next().captured(1));
    ASSERT_EQ(drawn.size(), 12);
    QStringList listed;
    for (const QString& name : drawn)
        bookmrg::InsertSorted(listed, name);
    EXPECT_EQ(drawn, listed);
}

} // namespace
