#include "common/seam.h"
#include "spreadsheet/progress.h"

#include "common/messages.h"

#include <gtest/gtest.h>

#include <optional>

#include <map>

namespace {

using sheet::ProgressBar;
using sheet::ProgressLabel;

struct RecordingView : sheet::ProgressView {
    std::map<ProgressLabel, QString> labels;
    int bar = -1;
    int labelWrites = 0;
    int events = 0;
    void Show() override {}
    void Unload() override {}
    void SetLabelText(ProgressLabel l, const QString& t) override {
        labels[l] = t;
        ++labelWrites;
    }
    void SetLabelVisible(ProgressLabel, bool) override {}
    void SetBarValue(ProgressBar b, int v) override {
        if (b == ProgressBar::Bar)
            bar = v;
    }
    void SetBarVisible(ProgressBar, bool) override {}
    void ProcessEvents() override { ++events; }
};

class ProgressTest : public ::testing::Test {
    std::optional<common::ScopedOverride<sheet::ProgressView>> viewInPlace_;

protected:
    void SetUp() override {
        viewInPlace_.emplace(sheet::ProgressViewSeam(), &view);
        sheet::ResetProgressCounter();
    }
    void TearDown() override { viewInPlace_.reset(); }
    RecordingView view;
};

TEST_F(ProgressTest, FormatsCountsAndMovesTheBarOnlyUpToOne) {
    sheet::UpdateProgress(0, 5, 1);
    EXPECT_EQ(view.labels[ProgressLabel::Counter], QStringLiteral("/5"));
    EXPECT_EQ(view.bar, 0);

    view.bar = 42;
    sheet::UpdateProgress(7, 5, 1);
    EXPECT_EQ(view.labels[ProgressLabel::Counter], QStringLiteral("7/5"));
    EXPECT_EQ(view.bar, 42);

    sheet::UpdateProgress(3, 0, 1);
    EXPECT_EQ(view.labels[ProgressLabel::Counter], QStringLiteral("3/"));
    EXPECT_EQ(view.bar, 42);

    sheet::UpdateProgress(1234, 12345, 1);
    EXPECT_EQ(view.labels[ProgressLabel::Counter], QStringLiteral("1,234/12,345"));
    EXPECT_EQ(view.bar, 9);

    sheet::UpdateProgress(5, 5, 1);
    EXPECT_EQ(view.bar, 100);
    EXPECT_EQ(view.events, 5);
}

TEST_F(ProgressTest, DisplaysOnEveryIntervalthCallOverTheProgramsLife) {
    for (int i = 1; i <= 9; ++i)
        sheet::UpdateProgress(i, 100, 10);
    EXPECT_EQ(view.labelWrites, 0);
    EXPECT_EQ(view.events, 0);
    sheet::UpdateProgress(10, 100, 10);
    EXPECT_EQ(view.labels[ProgressLabel::Counter], QStringLiteral("10/100"));
    EXPECT_EQ(view.events, 1);

    // The counter is shared: another caller continues the count.
    for (int i = 1; i <= 10; ++i)
        sheet::UpdateProgress(i, 2, 10);
    EXPECT_EQ(view.labelWrites, 2);
    EXPECT_EQ(view.labels[ProgressLabel::Counter], QStringLiteral("10/2"));

    for (int i = 0; i < 3; ++i)
        sheet::UpdateProgress(i, 3, 1);
    EXPECT_EQ(view.labelWrites, 5);
}

TEST(FormatCount, GroupsDigitsAndBlanksZero) {
    EXPECT_EQ(sheet::FormatCount(0), QString());
    EXPECT_EQ(sheet::FormatCount(7), QStringLiteral("7"));
    EXPECT_EQ(sheet::FormatCount(999), QStringLiteral("999"));
    EXPECT_EQ(sheet::FormatCount(1000), QStringLiteral("1,000"));
    EXPECT_EQ(sheet::FormatCount(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(sheet::FormatCount(-1234), QStringLiteral("-1,234"));
    EXPECT_EQ(sheet::FormatCount(2147483647), QStringLiteral("2,147,483,647"));
}

struct AnsweringSink : common::MessageSink {
    common::MsgAnswer answer = common::MsgAnswer::Yes;
    QString lastText;
    common::MsgButtons lastButtons = common::MsgButtons::Ok;
    common::MsgAnswer Show(const QString&, const QString& text, common::MsgIcon,
                           common::MsgButtons buttons) override {
        lastText = text;
        lastButtons = buttons;
        return answer;
    }
};

TEST(CancelFlag, StopButtonSetsItOnlyOnYes) {
    AnsweringSink sink;
    const common::ScopedOverride sinkInPlace(common::MessageSinkSeam(), &sink);
    sheet::ClearCancelFlag();

    sink.answer = common::MsgAnswer::No;
    EXPECT_FALSE(sheet::ConfirmStop());
    EXPECT_FALSE(sheet::IsCancelRequested());
    EXPECT_EQ(sink.lastText, QStringLiteral("処理を中断してもよろしいですか？"));
    EXPECT_EQ(sink.lastButtons, common::MsgButtons::YesNo);

    sink.answer = common::MsgAnswer::Yes;
    EXPECT_TRUE(sheet::ConfirmStop());
    EXPECT_TRUE(sheet::IsCancelRequested());
    EXPECT_TRUE(sheet::IsCancelRequested());

    sheet::ClearCancelFlag();
    EXPECT_FALSE(sheet::IsCancelRequested());
}

TEST(CenterForm, CentresOnTheScreenOrItsLeftHalf) {
    // Two monitors: centred on the left half.
    EXPECT_EQ(sheet::CenterForm(28800, 12000, 6000, 4000).left, 4200);
    EXPECT_EQ(sheet::CenterForm(28800, 12000, 6000, 4000).top, 4000);
    // Exactly 19200 wide is one screen.
    EXPECT_EQ(sheet::CenterForm(19200, 14400, 6000, 4000).left, 6600);
    EXPECT_EQ(sheet::CenterForm(19200, 14400, 6000, 4000).top, 5200);
    EXPECT_EQ(sheet::CenterForm(19215, 14400, 6000, 4000).left, (19215 / 2 - 6000) / 2);
}

} // namespace
