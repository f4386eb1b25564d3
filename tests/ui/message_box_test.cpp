#include "common/ui/message_box.h"

#include <QAbstractButton>
#include <QApplication>
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

TEST(FakeMessages, RecordsAnswersFromScriptAndRestoresPreviousSink) {
    common::MessageSink* before = common::CurrentMessageSink();
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
    EXPECT_EQ(common::CurrentMessageSink(), before);
}

} // namespace
