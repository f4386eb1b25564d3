#include "costcmp/frm_template.h"
#include "costcmp/template_record.h"
#include "costcmp/template_session.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
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
using common::MsgButtons;
using common::MsgIcon;
using costcmp::FRM_TEMPLATE;
using costcmp::ParamTexts;
using costcmp::TemplateRecord;

class FakeInput : public costcmp::InputScreenAccess {
public:
    ParamTexts texts;
    int kai = 0;
    ParamTexts Texts() const override { return texts; }
    int KaiNo() const override { return kai; }
    void SetTexts(const ParamTexts& t) override { texts = t; }
    void SelectKai(int k) override { kai = k; }
};

const ParamTexts kSample = {"80,000", "15,000", "5", "2", "100", "600", "0", "5", "6", "5", "60"};

// The template folder with a few templates of known dates, a session on it
// and the doubles for messages and the input screen.
class TemplateScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir.path() + "/";
        session.SetFolder(folder);
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

    void MakeThree() {
        MakeTemplate("見積A", "2024/05/01 09:30:00", 10);
        MakeTemplate("見積B", "2024/05/02 09:30:00", 20);
        MakeTemplate("予算", "2024/05/03 09:30:00", 30);
    }

    // Runs `steps` on the template screen once it is shown modally; the
    // screen is closed afterwards if the steps left it open.
    void WhenShown(std::function<void(FRM_TEMPLATE*)> steps) {
        testing_support::WhenModalShown([steps](QWidget* w) {
            auto* screen = qobject_cast<FRM_TEMPLATE*>(w);
            ASSERT_NE(screen, nullptr);
            steps(screen);
            if (screen->isVisible())
                screen->CloseScreen();
        });
    }

    costcmp::TemplateChoice Open(std::function<void(FRM_TEMPLATE*)> steps,
                                 const QString& argument = "SA1") {
        WhenShown(steps);
        return session.OpenTemplateScreen(argument, nullptr);
    }

    void Exchange(std::function<void(FRM_TEMPLATE*)> steps) {
        WhenShown(steps);
        session.ExchangeTemplate(input, nullptr);
    }

    QTemporaryDir dir;
    QString folder;
    costcmp::TemplateSession session;
    testing_support::FakeMessages messages;
    FakeInput input;
};

template <typename W> W* Child(QWidget* screen, const char* name) {
    W* w = screen->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

QStringList Rows(QWidget* screen) {
    QStringList rows;
    auto* list = Child<QListWidget>(screen, "List1");
    for (int i = 0; i < list->count(); ++i)
        rows.append(list->item(i)->text());
    return rows;
}

QStringList RowNumbers(QWidget* screen) {
    QStringList numbers;
    for (const QString& row : Rows(screen))
        numbers.append(row.left(4));
    return numbers;
}

void Key(QWidget* screen, Qt::Key key) {
    QTest::keyClick(Child<QLineEdit>(screen, "txtSyosiki"), key);
}

void TypeName(QWidget* screen, const QString& name) {
    auto* field = Child<QLineEdit>(screen, "txtSyosiki");
    // Japanese text cannot be typed through QTest's key table.
    field->setText(name);
}

void ClickRow(QWidget* screen, int row, bool doubleClick = false) {
    auto* list = Child<QListWidget>(screen, "List1");
    const QPoint at = list->visualItemRect(list->item(row)).center();
    if (doubleClick)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    else
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

TEST_F(TemplateScreenTest, OpeningListsByDateWithTitleAndFixedRows) {
    MakeThree();
    QString title;
    QStringList rows;
    bool grepShown = true;
    const auto choice = Open([&](FRM_TEMPLATE* s) {
        title = s->windowTitle();
        rows = Rows(s);
        grepShown = Child<QLabel>(s, "lblGrep")->isVisible();
        // Clicking a row copies the name from the 31st character on.
        ClickRow(s, 2);
        EXPECT_EQ(Child<QLineEdit>(s, "txtSyosiki")->text(), "見積A");
        // Moving the selection by keyboard does the same.
        QTest::keyClick(Child<QListWidget>(s, "List1"), Qt::Key_Up);
        EXPECT_EQ(Child<QLineEdit>(s, "txtSyosiki")->text(), "見積B");
        Key(s, Qt::Key_Escape);
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_EQ(title, "テンプレート (使用フォルダ:" + folder + ")   *.SA1");
    EXPECT_EQ(rows, QStringList({"0001 | 2024/05/03 09:30:00 |  予算",
                                 "0002 | 2024/05/02 09:30:00 |  見積B",
                                 "0003 | 2024/05/01 09:30:00 |  見積A"}));
    EXPECT_FALSE(grepShown);
    EXPECT_EQ(choice.result, "NG");
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(TemplateScreenTest, SaveByF8WritesTheInputScreensValues) {
    input.texts = kSample;
    input.kai = 5;
    Exchange([&](FRM_TEMPLATE* s) {
        Key(s, Qt::Key_F8); // no name yet
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_EQ(messages.messages[0].text, "設定して下さい");
        EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
        EXPECT_TRUE(s->isVisible());

        TypeName(s, "a/b");
        Key(s, Qt::Key_F8);
        EXPECT_EQ(messages.Count(), 2);
        EXPECT_TRUE(s->isVisible());

        TypeName(s, "  新規 ");
        messages.Answer(MsgAnswer::Cancel);
        Key(s, Qt::Key_F8);
        EXPECT_TRUE(s->isVisible());
        Key(s, Qt::Key_F8);
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_EQ(messages.Texts().mid(2), QStringList({"テンプレートに保存します。いいですか？",
                                                    "テンプレートに保存します。いいですか？"}));
    EXPECT_EQ(messages.messages[2].icon, MsgIcon::Question);
    EXPECT_EQ(messages.messages[2].buttons, MsgButtons::OkCancel);

    TemplateRecord saved;
    ASSERT_TRUE(costcmp::ReadTemplateFile(folder + "新規.SA1", &saved));
    EXPECT_EQ(saved.fields[7], 500);    // JD 5 %
    EXPECT_EQ(saved.fields[11], 50000); // solution 5

    // Saving again under a listed name overwrites it without a further
    // question; the next opening shows it at the top.
    MakeTemplate("古い", "2001/01/01 00:00:00");
    input.texts[2] = "7";
    Exchange([&](FRM_TEMPLATE* s) {
        TypeName(s, "新規");
        Key(s, Qt::Key_F8);
    });
    ASSERT_TRUE(costcmp::ReadTemplateFile(folder + "新規.SA1", &saved));
    EXPECT_EQ(saved.fields[2], 70000);
    QStringList rows;
    Open([&](FRM_TEMPLATE* s) { rows = Rows(s); });
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].endsWith("新規"));
}

TEST_F(TemplateScreenTest, LoadByDoubleClickSetsTheInputScreenOnly) {
    MakeThree();
    input.texts = kSample;
    input.kai = 1;
    Exchange([&](FRM_TEMPLATE* s) {
        ClickRow(s, 1);
        messages.Answer(MsgAnswer::Cancel);
        Key(s, Qt::Key_F6);
        EXPECT_TRUE(s->isVisible());
        ClickRow(s, 1, true);
    });
    EXPECT_EQ(messages.Texts(), QStringList({"テンプレートから読み込みます。よろしいですか？",
                                             "テンプレートから読み込みます。よろしいですか？"}));
    EXPECT_EQ(input.texts[2], "20"); // 見積B
    EXPECT_EQ(input.texts[0], "0");
    EXPECT_EQ(input.kai, 1); // field 12 holds no solution: the option stays

    // F6 with a name typed that is not listed.
    messages.messages.clear();
    Exchange([&](FRM_TEMPLATE* s) {
        TypeName(s, "見積");
        Key(s, Qt::Key_F6);
        EXPECT_TRUE(s->isVisible());
        TypeName(s, " 予算 ");
        Key(s, Qt::Key_F6);
    });
    EXPECT_EQ(messages.Texts(), QStringList({"テンプレートにありません",
                                             "テンプレートから読み込みます。よろしいですか？"}));
    EXPECT_EQ(input.texts[2], "30");
}

TEST_F(TemplateScreenTest, LoadOfADamagedFileIsReportedAndChangesNothing) {
    MakeThree();
    QFile f(folder + "見積A.SA1");
    ASSERT_TRUE(f.resize(10));
    input.texts = kSample;
    input.kai = 4;
    Exchange([&](FRM_TEMPLATE* s) {
        TypeName(s, "見積A");
        Key(s, Qt::Key_F6);
    });
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_TRUE(messages.LastText().startsWith("テンプレートを読み込めませんでした\r"));
    EXPECT_EQ(input.texts, kSample);
    EXPECT_EQ(input.kai, 4);

    // A save that cannot be written is reported the same way.
    session.SetFolder(dir.filePath("missing/"));
    messages.messages.clear();
    Exchange([&](FRM_TEMPLATE* s) {
        TypeName(s, "x");
        Key(s, Qt::Key_F8);
    });
    EXPECT_TRUE(messages.LastText().startsWith("テンプレートに保存できませんでした\r"));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/x.SA1")));
}

TEST_F(TemplateScreenTest, DeleteLeavesANumberGapUntilTheNextSort) {
    MakeThree();
    Open([&](FRM_TEMPLATE* s) {
        Key(s, Qt::Key_F4);
        EXPECT_EQ(messages.LastText(), "設定して下さい");

        ClickRow(s, 1); // 見積B
        messages.Answer(MsgAnswer::Cancel);
        Key(s, Qt::Key_F4);
        EXPECT_EQ(Rows(s).size(), 3);
        EXPECT_TRUE(QFile::exists(folder + "見積B.SA1"));

        Key(s, Qt::Key_F4);
        EXPECT_EQ(messages.LastText(), "テンプレートから削除します。よろしいですか？");
        EXPECT_EQ(messages.messages.last().icon, MsgIcon::Question);
        EXPECT_FALSE(QFile::exists(folder + "見積B.SA1"));
        EXPECT_TRUE(s->isVisible());
        EXPECT_EQ(RowNumbers(s), QStringList({"0001", "0003"}));
        // The name stays as typed.
        EXPECT_EQ(Child<QLineEdit>(s, "txtSyosiki")->text(), "見積B");

        Key(s, Qt::Key_F1);
        // By name, descending code order: 見 (U+898B) above 予 (U+4E88).
        EXPECT_EQ(Rows(s), QStringList({"0001 | 2024/05/01 09:30:00 |  見積A",
                                        "0002 | 2024/05/03 09:30:00 |  予算"}));
        Key(s, Qt::Key_F4); // 見積B is gone now
        EXPECT_EQ(messages.LastText(), "テンプレートにありません");
        Key(s, Qt::Key_F2);
        EXPECT_EQ(RowNumbers(s), QStringList({"0001", "0002"}));
        EXPECT_TRUE(Rows(s)[0].endsWith("予算"));
    });
}

TEST_F(TemplateScreenTest, SearchModesMessagesAndTheWayBack) {
    MakeThree();
    Open([&](FRM_TEMPLATE* s) {
        auto* word1 = Child<QLineEdit>(s, "txtGrepMoji");
        auto* word2 = Child<QLineEdit>(s, "txtGrepMoji2");
        auto* grepOn = Child<QPushButton>(s, "cmdGrepOn");
        auto* grepOff = Child<QPushButton>(s, "cmdGrepOff");

        word1->setText("見積");
        Child<QRadioButton>(s, "optOr")->click();
        grepOn->click();
        EXPECT_EQ(messages.LastText(), "条件を指定してください");
        EXPECT_EQ(messages.messages.last().icon, MsgIcon::None);
        EXPECT_EQ(Rows(s).size(), 3);

        Child<QRadioButton>(s, "optAnd")->click();
        word2->setText(" A ");
        Key(s, Qt::Key_F1); // a search after sorting by name shows by date
        grepOn->click();
        EXPECT_EQ(Rows(s), QStringList({"0001 | 2024/05/01 09:30:00 |  見積A"}));
        EXPECT_TRUE(Child<QLabel>(s, "lblGrep")->isVisible());

        // A name hidden by the search cannot be loaded.
        TypeName(s, "予算");
        Key(s, Qt::Key_F6);
        EXPECT_EQ(messages.LastText(), "テンプレートにありません");

        word2->setText("Ａ"); // full width: no match
        grepOn->click();
        EXPECT_TRUE(Rows(s).isEmpty());

        // "なし" with an empty first word lists everything again.
        Child<QRadioButton>(s, "optNasi")->click();
        word1->clear();
        grepOn->click();
        EXPECT_EQ(RowNumbers(s), QStringList({"0001", "0002", "0003"}));

        word1->setText("予");
        grepOn->click();
        EXPECT_EQ(Rows(s).size(), 1);
        grepOff->click();
        EXPECT_EQ(Rows(s).size(), 3);
        EXPECT_FALSE(Child<QLabel>(s, "lblGrep")->isVisible());
    });
    EXPECT_EQ(messages.Count(), 2);
}

TEST_F(TemplateScreenTest, TypedTextsAndModeStayBetweenOpeningsButTheSearchDoesNot) {
    MakeThree();
    FRM_TEMPLATE* first = nullptr;
    Open([&](FRM_TEMPLATE* s) {
        first = s;
        TypeName(s, "見積A");
        Child<QLineEdit>(s, "txtGrepMoji")->setText("見積");
        Child<QLineEdit>(s, "txtGrepMoji2")->setText("B");
        Child<QRadioButton>(s, "optAnd")->click();
        Child<QPushButton>(s, "cmdGrepOn")->click();
        EXPECT_EQ(Rows(s).size(), 1);
        Key(s, Qt::Key_F8); // save confirmed: "WR"
    });
    MakeTemplate("追加", "2024/06/01 00:00:00");

    // The window frame's close acts as Esc: the earlier "WR" is not kept.
    const auto choice = Open([&](FRM_TEMPLATE* s) {
        EXPECT_EQ(s, first);
        EXPECT_EQ(Child<QLineEdit>(s, "txtSyosiki")->text(), "見積A");
        EXPECT_EQ(Child<QLineEdit>(s, "txtGrepMoji")->text(), "見積");
        EXPECT_EQ(Child<QLineEdit>(s, "txtGrepMoji2")->text(), "B");
        EXPECT_TRUE(Child<QRadioButton>(s, "optAnd")->isChecked());
        EXPECT_EQ(Rows(s).size(), 4);
        EXPECT_FALSE(Child<QLabel>(s, "lblGrep")->isVisible());
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::sendEvent(s->windowHandle(), &close);
        EXPECT_FALSE(s->isVisible());
    });
    EXPECT_EQ(choice.result, "NG");
}

TEST_F(TemplateScreenTest, ListOnlyModeIgnoresSaveAndDelete) {
    MakeThree();
    const auto choice = Open(
        [&](FRM_TEMPLATE* s) {
            EXPECT_FALSE(Child<QPushButton>(s, "cmdF4")->isEnabled());
            EXPECT_FALSE(Child<QPushButton>(s, "cmdF8")->isEnabled());
            TypeName(s, "予算");
            Key(s, Qt::Key_F4);
            Key(s, Qt::Key_F8);
            EXPECT_TRUE(s->isVisible());
            Key(s, Qt::Key_F6);
        },
        "*SA1");
    EXPECT_EQ(messages.Texts(), QStringList({"テンプレートから読み込みます。よろしいですか？"}));
    EXPECT_TRUE(QFile::exists(folder + "予算.SA1"));
    EXPECT_EQ(choice.result, "RE");
    EXPECT_EQ(choice.name, "予算");
    EXPECT_EQ(choice.path, folder + "予算.SA1");
}

} // namespace
