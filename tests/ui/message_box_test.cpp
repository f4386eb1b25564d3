#include "common/ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <gtest/gtest.h>

#include "support/fake_messages.h"
#include "support/modal_driver.h"

namespace {

using common::MsgAnswer;
using common::MsgButtons;
using common::MsgIcon;

TEST(MessageBoxSink, ShowsLinesTitleIconButtonsAndAnswers) {
    EXPECT_EQ(ui::MessageDisplayText(QStringLiteral("一行目\r二行目\r\n三行目\r")),
              QStringLiteral("一行目\n二行目\n三行目"));

    ui::MessageBoxSink sink;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    testing_support::WhenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = int(box->buttons().size());
        box->button(QMessageBox::No)->click();
    });
    const MsgAnswer answer =
        sink.Show(QStringLiteral("BOOKMRG"), QStringLiteral("上書きしますか\r?"), MsgIcon::Question,
                  MsgButtons::YesNo);
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(text, QStringLiteral("上書きしますか\n?"));
    EXPECT_EQ(title, QStringLiteral("BOOKMRG"));
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, 2);

    // Closing an OK/Cancel question without choosing is not a yes.
    testing_support::WhenModalShown([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(sink.Show(QStringLiteral("T"), QStringLiteral("q"), MsgIcon::Question,
                        MsgButtons::OkCancel),
              MsgAnswer::Cancel);
}

TEST(MessageBoxSink, LinesBreakOnlyWhereTheMessageBreaksThem) {
    // The calculator's overflow message: its lines are wider than Qt's own
    // wrapping width of a message box.
    const QString line1 =
        QStringLiteral("計算中に数値が大きすぎて計算できませんでした。入力値を確認してください。");
    const QString line2 =
        QStringLiteral("（ＳＡ、ＳＢ、ＪＡ、ＪＢ、ＣＢの桁数を確かめてください。）");
    ui::MessageBoxSink sink;
    int labelWidth = 0, widest = 0, lines = 0;
    testing_support::WhenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        const QFontMetrics metrics(label->font());
        widest = qMax(metrics.horizontalAdvance(line1), metrics.horizontalAdvance(line2));
        labelWidth = label->width();
        // As many text lines as the message has: none is wrapped.
        lines = label->heightForWidth(label->width()) / metrics.lineSpacing();
        box->button(QMessageBox::Ok)->click();
    });
    sink.Show(QStringLiteral("COSTCMP"), line1 + QStringLiteral("\r") + line2, MsgIcon::Exclamation,
              MsgButtons::Ok);
    EXPECT_GE(labelWidth, widest) << widest;
    EXPECT_LE(lines, 2);
}

TEST(MessageBoxSink, LinesWiderThanTheScreenBreakWhereJapaneseAllows) {
    const QFont font;
    const QFontMetrics metrics(font);
    const QString path = QStringLiteral("/tmp/ux_app/TamrasystemHikaku/BOOKMRG.PRM");
    const QString line = QStringLiteral("ファイル ") + path +
                         QStringLiteral(" に書き込めません（ファイルまたはフォルダがありません）");
    // Narrower than the line: it is broken before the reason, not inside it.
    const int limit = metrics.horizontalAdvance(QStringLiteral("ファイル ") + path +
                                                QStringLiteral(" に書き込めません（ファイル"));
    const QStringList lines = ui::BreakLongLines(line, metrics, limit).split(QChar(u'\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("に書き込めません"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("（ファイルまたはフォルダがありません）"));
    for (const QString& l : lines)
        EXPECT_LE(metrics.horizontalAdvance(l), limit);
    // Lines that fit are left alone.
    EXPECT_EQ(ui::BreakLongLines(QStringLiteral("短い\n行"), metrics, limit),
              QStringLiteral("短い\n行"));
}

TEST(FakeMessages, RecordsAnswersFromScriptAndRestoresPreviousSink) {
    common::MessageSink* before = &common::MessageSinkSeam().Get();
    {
        testing_support::FakeMessages fake;
        common::SetProgramId(QStringLiteral("SHTLIST"));
        fake.Answer(MsgAnswer::Cancel);
        EXPECT_EQ(common::ShowMessage(QStringLiteral("a"), MsgIcon::Question, MsgButtons::OkCancel),
                  MsgAnswer::Cancel);
        EXPECT_EQ(common::ShowMessage(QStringLiteral("b"), MsgIcon::Question, MsgButtons::YesNo),
                  MsgAnswer::Yes);
        EXPECT_EQ(common::ShowMessage(QStringLiteral("c")), MsgAnswer::Ok);
        ASSERT_EQ(fake.Count(), 3);
        EXPECT_EQ(fake.Texts(), QStringList({"a", "b", "c"}));
        EXPECT_EQ(fake.messages[0].title, QStringLiteral("SHTLIST"));
        EXPECT_EQ(fake.messages[1].buttons, MsgButtons::YesNo);
        EXPECT_EQ(fake.PendingAnswers(), 0);
    }
    EXPECT_EQ(&common::MessageSinkSeam().Get(), before);
}

} // namespace
