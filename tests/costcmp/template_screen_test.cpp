#include "costcmp/templates/template_record.h"
#include "costcmp/ui/frm_template.h"
#include "costcmp/ui/template_session.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>
#include <functional>
#include <gtest/gtest.h>

#include "support/fake_messages.h"
#include "support/modal_driver.h"

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using common::MsgAnswer;
using common::MsgIcon;
using costcmp::ParamTexts;
using costcmp::TemplateRecord;
using costcmp::TemplateScreen;

class FakeInput : public costcmp::InputScreenAccess {
public:
    ParamTexts texts;
    costcmp::SolutionKind kai = costcmp::SolutionKind::None;
    ParamTexts Texts() const override { return texts; }
    costcmp::SolutionKind Solution() const override { return kai; }
    void SetTexts(const ParamTexts& t) override { texts = t; }
    void SelectSolution(costcmp::SolutionKind k) override { kai = k; }
};

const ParamTexts kSample = {"80,000", "15,000", "5", "2", "100", "600", "0", "5", "6", "5", "60"};
const QString kAskSave = "テンプレートに保存します。いいですか？";
const QString kAskLoad = "テンプレートから読み込みます。よろしいですか？";

template <typename W> W* Child(QWidget* screen, const char* name) {
    W* w = screen->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

// Each row as the list once showed it in one line: number, " | ", date,
// " |  ", name; the table shows the same three texts in its columns.
QStringList Rows(QWidget* s) {
    QStringList rows;
    auto* list = Child<QTableWidget>(s, "List1");
    for (int i = 0; i < list->rowCount(); ++i)
        rows.append(list->item(i, 0)->text() + " | " + list->item(i, 1)->text() + " |  " +
                    list->item(i, 2)->text());
    return rows;
}

QStringList RowNumbers(QWidget* s) {
    QStringList numbers;
    for (const QString& row : Rows(s))
        numbers.append(row.left(4));
    return numbers;
}

// A key press as the user gives it, with the focus in the name field.
void Key(QWidget* s, Qt::Key key) {
    QTest::keyClick(Child<QLineEdit>(s, "txtSyosiki"), key);
}

// Japanese text cannot be typed through QTest's key table.
void TypeName(QWidget* s, const QString& name) {
    Child<QLineEdit>(s, "txtSyosiki")->setText(name);
}

QString TypedName(QWidget* s) {
    return Child<QLineEdit>(s, "txtSyosiki")->text();
}

void ClickRow(QWidget* s, int row, bool doubleClick = false) {
    auto* list = Child<QTableWidget>(s, "List1");
    const QPoint at = list->visualItemRect(list->item(row, 2)).center();
    if (doubleClick)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

// A template folder with three templates of known dates, a session on it and
// the doubles for the messages and the input screen.
class TemplateScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.path() + "/";
        session.SetFolder(folder);
        MakeTemplate("見積A", "2024/05/01 09:30:00", 10);
        MakeTemplate("見積B", "2024/05/02 09:30:00", 20);
        MakeTemplate("予算", "2024/05/03 09:30:00", 30);
    }

    // A template whose only nonzero field is SC = `users`.
    void MakeTemplate(const QString& name, const QString& modified, int users = 1) {
        TemplateRecord r;
        r.fields[2] = qint64(users) * 10000;
        const QString path = folder + name + ".SA1";
        ASSERT_TRUE(costcmp::WriteTemplateFile(path, r));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::fromString(modified, "yyyy/MM/dd HH:mm:ss"),
                                  QFileDevice::FileModificationTime));
    }

    // Runs `steps` on the template screen once it is shown modally; closes
    // the screen afterwards if the steps left it open.
    void WhenShown(std::function<void(TemplateScreen*)> steps) {
        testing_support::WhenModalShown([steps](QWidget* w) {
            auto* screen = qobject_cast<TemplateScreen*>(w);
            ASSERT_NE(screen, nullptr);
            steps(screen);
            if (screen->isVisible())
                screen->CloseScreen();
        });
    }

    costcmp::TemplateChoice Open(std::function<void(TemplateScreen*)> steps,
                                 const QString& argument = "SA1") {
        WhenShown(steps);
        return session.OpenTemplateScreen(argument, nullptr);
    }

    // The input screen's "テンプレート" button.
    void Exchange(std::function<void(TemplateScreen*)> steps) {
        WhenShown(steps);
        session.ExchangeTemplate(input, nullptr);
    }

    QTemporaryDir dir;
    QString folder;
    costcmp::TemplateSession session;
    testing_support::FakeMessages messages;
    FakeInput input;
};

TEST_F(TemplateScreenTest, OpeningListsByDateAndARowGivesItsName) {
    const auto choice = Open([&](TemplateScreen* s) {
        EXPECT_EQ(s->windowTitle(), "テンプレート (使用フォルダ:" + folder + ")   *.SA1");
        EXPECT_EQ(Rows(s), QStringList({"0001 | 2024/05/03 09:30:00 |  予算",
                                        "0002 | 2024/05/02 09:30:00 |  見積B",
                                        "0003 | 2024/05/01 09:30:00 |  見積A"}));
        // Enter moves on to the list; the typed name stays until a row is
        // chosen.
        s->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(s));
        TypeName(s, "新規");
        Key(s, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), Child<QTableWidget>(s, "List1"));
        EXPECT_EQ(TypedName(s), "新規");
        ClickRow(s, 2);
        EXPECT_EQ(TypedName(s), "見積A");
        QTest::keyClick(Child<QTableWidget>(s, "List1"), Qt::Key_Up);
        EXPECT_EQ(TypedName(s), "見積B");
        Key(s, Qt::Key_Escape);
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_EQ(choice.result, costcmp::TemplateResult::None);
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(TemplateScreenTest, ListIsATableWithColumnHeaders) {
    Open([&](TemplateScreen* s) {
        auto* list = Child<QTableWidget>(s, "List1");
        ASSERT_EQ(list->columnCount(), 3);
        QStringList headers;
        for (int c = 0; c < 3; ++c)
            headers << list->horizontalHeaderItem(c)->text();
        EXPECT_EQ(headers, QStringList({"番号", "更新日時", "テンプレート名"}));
        EXPECT_FALSE(list->horizontalHeader()->isHidden());
        // The date column is wide enough for its text.
        EXPECT_GE(list->columnWidth(1),
                  list->fontMetrics().horizontalAdvance("2024/05/03 09:30:00"));
        EXPECT_TRUE(Child<QLabel>(s, "lblOmitted")->isHidden());
    });
}

TEST_F(TemplateScreenTest, DeleteTakesTheChosenRowsFileOnly) {
    MakeTemplate("dup", "2024/05/05 09:30:00");
    QFile::copy(folder + "dup.SA1", folder + "dup.sa1");
    {
        QFile f(folder + "dup.sa1");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(
            f.setFileTime(QDateTime::fromString("2024/05/04 09:30:00", "yyyy/MM/dd HH:mm:ss"),
                          QFileDevice::FileModificationTime));
    }
    Open([&](TemplateScreen* s) {
        ASSERT_EQ(Rows(s).mid(0, 2), QStringList({"0001 | 2024/05/05 09:30:00 |  dup",
                                                  "0002 | 2024/05/04 09:30:00 |  dup"}));
        ClickRow(s, 1); // the older one, dup.sa1
        Key(s, Qt::Key_F4);
        EXPECT_TRUE(QFile::exists(folder + "dup.SA1"));
        EXPECT_FALSE(QFile::exists(folder + "dup.sa1"));
        // The row of the deleted file goes; the other stays, and is real.
        EXPECT_EQ(Rows(s).mid(0, 2), QStringList({"0001 | 2024/05/05 09:30:00 |  dup",
                                                  "0003 | 2024/05/03 09:30:00 |  予算"}));
    });
}

TEST_F(TemplateScreenTest, SaysWhenNotAllTemplatesAreListed) {
    for (int i = 0; i < 900; ++i)
        MakeTemplate(QStringLiteral("古い%1").arg(i), "2020/01/01 00:00:00");
    MakeTemplate("最新", "2024/06/01 00:00:00");
    Open([&](TemplateScreen* s) {
        EXPECT_EQ(Rows(s).size(), 900);
        EXPECT_EQ(Rows(s).first(), "0001 | 2024/06/01 00:00:00 |  最新");
        auto* note = Child<QLabel>(s, "lblOmitted");
        EXPECT_FALSE(note->isHidden());
        EXPECT_TRUE(note->text().contains("900件")) << note->text().toStdString();
        EXPECT_TRUE(note->text().contains("他の4件")) << note->text().toStdString();
        // The note has its own line under the list.
        auto* list = Child<QTableWidget>(s, "List1");
        EXPECT_LE(list->geometry().bottom(), note->geometry().top());
    });
}

TEST_F(TemplateScreenTest, SaveWritesTheInputScreensValuesAndOverwrites) {
    input.texts = kSample;
    input.kai = costcmp::SolutionKind::MaintRate;
    Exchange([&](TemplateScreen* s) {
        Key(s, Qt::Key_F8); // no name yet
        EXPECT_EQ(messages.LastText(), "設定して下さい");
        EXPECT_EQ(messages.messages.last().icon, MsgIcon::Critical);
        TypeName(s, "a/b"); // not a file name
        Key(s, Qt::Key_F8);
        TypeName(s, "  見積B ");
        messages.Answer(MsgAnswer::Cancel);
        Key(s, Qt::Key_F8);
        EXPECT_TRUE(s->isVisible());
        Key(s, Qt::Key_F8); // an existing name: no further question
    });
    EXPECT_EQ(messages.Count(), 4);
    EXPECT_EQ(messages.Texts().mid(2), QStringList({kAskSave, kAskSave}));
    EXPECT_EQ(messages.messages[2].icon, MsgIcon::Question);

    TemplateRecord saved;
    ASSERT_TRUE(costcmp::ReadTemplateFile(folder + "見積B.SA1", &saved));
    EXPECT_EQ(saved.fields[2], 50000);  // SC 5
    EXPECT_EQ(saved.fields[7], 500);    // JD 5 %
    EXPECT_EQ(saved.fields[11], 50000); // solution 5
    // The next opening shows it at the top.
    Open([&](TemplateScreen* s) { EXPECT_TRUE(Rows(s)[0].endsWith("見積B")); });
}

TEST_F(TemplateScreenTest, LoadSetsTheInputScreenOnly) {
    input.texts = kSample;
    input.kai = costcmp::SolutionKind::Users;
    Exchange([&](TemplateScreen* s) {
        TypeName(s, "見積"); // not listed
        Key(s, Qt::Key_F6);
        EXPECT_EQ(messages.LastText(), "テンプレートにありません");
        ClickRow(s, 1);
        messages.Answer(MsgAnswer::Cancel);
        Key(s, Qt::Key_F6);
        EXPECT_TRUE(s->isVisible());
        ClickRow(s, 1, true); // double-click: as F6
    });
    EXPECT_EQ(messages.Texts().mid(1), QStringList({kAskLoad, kAskLoad}));
    EXPECT_EQ(input.texts[2], "20"); // 見積B
    EXPECT_EQ(input.texts[0], "0");
    EXPECT_EQ(input.kai,
              costcmp::SolutionKind::Users); // field 12 holds no solution: the option stays
}

TEST_F(TemplateScreenTest, FilesThatCannotBeReadOrWrittenChangeNothing) {
    QFile(folder + "見積A.SA1").resize(10);
    input.texts = kSample;
    input.kai = costcmp::SolutionKind::MonthlyFee;
    Exchange([&](TemplateScreen* s) {
        TypeName(s, "見積A");
        Key(s, Qt::Key_F6);
    });
    EXPECT_TRUE(messages.LastText().startsWith("テンプレートを読み込めませんでした\r"));
    EXPECT_EQ(input.texts, kSample);
    EXPECT_EQ(input.kai, costcmp::SolutionKind::MonthlyFee);

    session.SetFolder(dir.filePath("missing/"));
    Exchange([&](TemplateScreen* s) {
        TypeName(s, "x");
        Key(s, Qt::Key_F8);
    });
    EXPECT_TRUE(messages.LastText().startsWith("テンプレートに保存できませんでした\r"));
}

TEST_F(TemplateScreenTest, DeleteLeavesANumberGapUntilTheNextSort) {
    Open([&](TemplateScreen* s) {
        ClickRow(s, 1); // 見積B
        messages.Answer(MsgAnswer::Cancel);
        Key(s, Qt::Key_F4);
        EXPECT_TRUE(QFile::exists(folder + "見積B.SA1"));

        Key(s, Qt::Key_F4);
        EXPECT_EQ(messages.LastText(), "テンプレートから削除します。よろしいですか？");
        EXPECT_FALSE(QFile::exists(folder + "見積B.SA1"));
        EXPECT_TRUE(s->isVisible());
        EXPECT_EQ(RowNumbers(s), QStringList({"0001", "0003"}));
        EXPECT_EQ(TypedName(s), "見積B");

        // By name, descending code order: 見 (U+898B) above 予 (U+4E88).
        Key(s, Qt::Key_F1);
        EXPECT_EQ(Rows(s), QStringList({"0001 | 2024/05/01 09:30:00 |  見積A",
                                        "0002 | 2024/05/03 09:30:00 |  予算"}));
        Key(s, Qt::Key_F2);
        EXPECT_EQ(RowNumbers(s), QStringList({"0001", "0002"}));
        EXPECT_TRUE(Rows(s)[0].endsWith("予算"));
    });
}

TEST_F(TemplateScreenTest, SearchModesAndTheWayBack) {
    Open([&](TemplateScreen* s) {
        auto* word1 = Child<QLineEdit>(s, "txtGrepMoji");
        auto* word2 = Child<QLineEdit>(s, "txtGrepMoji2");
        auto* grepOn = Child<QPushButton>(s, "cmdGrepOn");

        word1->setText("見積");
        Child<QRadioButton>(s, "optOr")->click();
        grepOn->click();
        EXPECT_EQ(messages.LastText(), "条件を指定してください");
        EXPECT_EQ(messages.messages.last().icon, MsgIcon::None);
        EXPECT_EQ(Rows(s).size(), 3);

        Child<QRadioButton>(s, "optAnd")->click();
        word2->setText(" A ");
        Key(s, Qt::Key_F1);
        grepOn->click();
        EXPECT_EQ(Rows(s), QStringList({"0001 | 2024/05/01 09:30:00 |  見積A"}));
        EXPECT_TRUE(Child<QLabel>(s, "lblGrep")->isVisible());
        TypeName(s, "予算"); // hidden by the search
        Key(s, Qt::Key_F6);
        EXPECT_EQ(messages.LastText(), "テンプレートにありません");

        word2->setText("Ａ"); // full width: nothing found
        grepOn->click();
        EXPECT_TRUE(Rows(s).isEmpty());
        // "なし" with an empty first word lists everything, by date.
        Child<QRadioButton>(s, "optNasi")->click();
        word1->clear();
        grepOn->click();
        EXPECT_EQ(RowNumbers(s), QStringList({"0001", "0002", "0003"}));

        word1->setText("予");
        grepOn->click();
        EXPECT_EQ(Rows(s).size(), 1);
        Child<QPushButton>(s, "cmdGrepOff")->click();
        EXPECT_EQ(Rows(s).size(), 3);
        EXPECT_FALSE(Child<QLabel>(s, "lblGrep")->isVisible());
    });
}

TEST_F(TemplateScreenTest, TextsAndModeStayBetweenOpeningsButTheSearchDoesNot) {
    TemplateScreen* first = nullptr;
    Open([&](TemplateScreen* s) {
        first = s;
        TypeName(s, "見積A");
        Child<QLineEdit>(s, "txtGrepMoji")->setText("B");
        Child<QRadioButton>(s, "optAnd")->click();
        Child<QLineEdit>(s, "txtGrepMoji2")->setText("見積");
        Child<QPushButton>(s, "cmdGrepOn")->click();
        EXPECT_EQ(Rows(s).size(), 1);
        Key(s, Qt::Key_F8); // save confirmed
    });
    MakeTemplate("追加", "2024/06/01 00:00:00");

    // Closing with the window frame acts as Esc: the earlier save is forgotten.
    const auto choice = Open([&](TemplateScreen* s) {
        EXPECT_EQ(s, first);
        EXPECT_EQ(TypedName(s), "見積A");
        EXPECT_EQ(Child<QLineEdit>(s, "txtGrepMoji")->text(), "B");
        EXPECT_TRUE(Child<QRadioButton>(s, "optAnd")->isChecked());
        EXPECT_EQ(Rows(s).size(), 4);
        EXPECT_FALSE(Child<QLabel>(s, "lblGrep")->isVisible());
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::sendEvent(s->windowHandle(), &close);
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_EQ(choice.result, costcmp::TemplateResult::None);
}

TEST_F(TemplateScreenTest, ListOnlyModeIgnoresSaveAndDelete) {
    const auto choice = Open(
        [&](TemplateScreen* s) {
            EXPECT_FALSE(Child<QPushButton>(s, "cmdF8")->isEnabled());
            TypeName(s, "予算");
            Key(s, Qt::Key_F4);
            Key(s, Qt::Key_F8);
            Key(s, Qt::Key_F6);
        },
        "*SA1");
    EXPECT_EQ(messages.Texts(), QStringList({kAskLoad}));
    EXPECT_TRUE(QFile::exists(folder + "予算.SA1"));
    EXPECT_EQ(choice.result, costcmp::TemplateResult::Load);
    EXPECT_EQ(choice.path, folder + "予算.SA1");
}

} // namespace
