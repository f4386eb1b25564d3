#include "spreadsheet/gate.h"

#include "common/messages.h"
#include "common/seam.h"
#include "spreadsheet/spreadsheet.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using sheet::GateChoice;

struct RecordingSink : common::MessageSink {
    struct Shown {
        QString text;
        common::MsgIcon icon;
        common::MsgButtons buttons;
    };
    std::vector<Shown> shown;
    common::MsgAnswer Show(const QString&, const QString& text, common::MsgIcon icon,
                           common::MsgButtons buttons) override {
        shown.push_back({text, icon, buttons});
        return common::MsgAnswer::Ok;
    }
};

// The running instance: 'runningFor' answers of IsExcelRunning are true;
// the 'closesAt'-th request of CloseRunningExcel makes it go away (never when
// negative); with 'refuses' every request is turned down.
struct ScriptedProbe : sheet::ExcelProbe {
    bool installed = true;
    int runningFor = 0;
    int closesAt = 1;
    bool refuses = false;
    int closeCalls = 0;
    int runningCalls = 0;
    bool gone = false;

    bool IsExcelInstalled() override { return installed; }
    bool IsExcelRunning() override {
        ++runningCalls;
        if (gone)
            return false;
        if (runningFor > 0) {
            --runningFor;
            return true;
        }
        return false;
    }
    bool CloseRunningExcel() override {
        if (gone)
            return false;
        ++closeCalls;
        if (!refuses && closesAt >= 0 && closeCalls >= closesAt)
            gone = true;
        return true;
    }
    bool CloseRefused() override { return refuses; }
};

// Answers from a script; once the script is used up, the last choice stays
// (as the hidden dialog keeps it).
struct ScriptedDialog : sheet::GateDialog {
    std::deque<GateChoice> script;
    GateChoice last = GateChoice::AutoQuit;
    int shows = 0;
    int unloads = 0;
    std::function<void()> onShow;
    GateChoice ShowModal() override {
        ++shows;
        if (onShow)
            onShow();
        if (!script.empty()) {
            last = script.front();
            script.pop_front();
        }
        return last;
    }
    void Unload() override {
        ++unloads;
        last = GateChoice::AutoQuit;
    }
};

struct CountingClock : sheet::GateClock {
    int events = 0;
    int sleeps = 0;
    int sleptMs = 0;
    void DoEvents() override { ++events; }
    void Sleep(int ms) override {
        ++sleeps;
        sleptMs += ms;
    }
};

class GateTest : public ::testing::Test {
protected:
    sheet::GateResult Run() { return sheet::RunExcelGate(probe, dialog, clock); }

    RecordingSink sink;
    common::ScopedOverride<common::MessageSink> sinkInPlace{common::MessageSinkSeam(), &sink};
    ScriptedProbe probe;
    ScriptedDialog dialog;
    CountingClock clock;
};

TEST_F(GateTest, NotInstalledShowsOneCriticalMessageAndAnswers4) {
    probe.installed = false;
    probe.runningFor = 5;
    EXPECT_EQ(Run(), sheet::GateResult::Unavailable);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, QStringLiteral("Excelがインスツールされていない、または\r"
                                                 "Excelのバージョンを認識できません。\r"
                                                 "この処理は実行できません。"));
    EXPECT_EQ(sink.shown[0].icon, common::MsgIcon::Critical);
    EXPECT_EQ(sink.shown[0].buttons, common::MsgButtons::Ok);
    EXPECT_EQ(dialog.shows, 0);
}

TEST_F(GateTest, NotRunningAnswers0WithoutAnyWindow) {
    EXPECT_EQ(Run(), sheet::GateResult::NotRunning);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(dialog.shows, 0);
    EXPECT_EQ(clock.sleeps, 0);
}

TEST_F(GateTest, StopAtOnceAnswers1AndUnloads) {
    probe.runningFor = 100;
    dialog.script = {GateChoice::Stop};
    EXPECT_EQ(Run(), sheet::GateResult::Stopped);
    EXPECT_EQ(dialog.shows, 1);
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_EQ(probe.closeCalls, 0);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(GateTest, ClosedByHandAfterOneReminderAnswers2) {
    // Running at the check and at the first pass; the user closes it while
    // the dialog is shown the second time.
    probe.runningFor = 2;
    dialog.script = {GateChoice::Continue};
    EXPECT_EQ(Run(), sheet::GateResult::UserClosed);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, QStringLiteral("Excel はまだ起動しています"));
    EXPECT_EQ(sink.shown[0].buttons, common::MsgButtons::Ok);
    EXPECT_EQ(dialog.shows, 2); // shown again with Zokkou still chosen
    EXPECT_EQ(dialog.last, GateChoice::Continue);
    EXPECT_EQ(dialog.unloads, 0); // stays loaded (hidden) on this path
    EXPECT_EQ(probe.closeCalls, 0);
}

TEST_F(GateTest, ContinueThenStopAnswers1) {
    probe.runningFor = 100;
    dialog.script = {GateChoice::Continue, GateChoice::Stop};
    EXPECT_EQ(Run(), sheet::GateResult::Stopped);
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_EQ(probe.closeCalls, 0);
}

TEST_F(GateTest, ContinueThenAutoQuitClosesItAndAnswers3) {
    probe.runningFor = 100;
    dialog.script = {GateChoice::Continue, GateChoice::AutoQuit};
    EXPECT_EQ(Run(), sheet::GateResult::AutoClosed);
    EXPECT_EQ(sink.shown.size(), 1u); // only the reminder
    EXPECT_GE(probe.closeCalls, 1);
    EXPECT_EQ(dialog.unloads, 1);
}

TEST_F(GateTest, ContinueForeverEndsAfter1000PassesWith0) {
    probe.runningFor = 1'000'000;
    dialog.script = {GateChoice::Continue};
    EXPECT_EQ(Run(), sheet::GateResult::NotRunning);
    EXPECT_EQ(sink.shown.size(), 1000u);
    EXPECT_EQ(dialog.shows, 1001);
    EXPECT_EQ(probe.closeCalls, 0);
}

TEST_F(GateTest, AutoQuitClosingOnFirstRequestAnswers3AfterTwoWaits) {
    probe.runningFor = 1;
    probe.closesAt = 1; // the first request finds it, the second wait finds none
    EXPECT_EQ(Run(), sheet::GateResult::AutoClosed);
    EXPECT_EQ(clock.sleeps, 2);
    EXPECT_EQ(clock.sleptMs, 1000);
    EXPECT_EQ(clock.events, 2); // events run before each wait
    EXPECT_EQ(probe.closeCalls, 1);
    EXPECT_EQ(dialog.unloads, 1);
    EXPECT_TRUE(sink.shown.empty());
}

// An instance that was asked once and is still there after the hour: the
// gate only watched it, it never asked again.
TEST_F(GateTest, AutoQuitThatNeverClosesGivesUpAfter7200WaitsWith4AskingOnce) {
    probe.runningFor = 1'000'000;
    probe.closesAt = -1;
    EXPECT_EQ(Run(), sheet::GateResult::Unavailable);
    EXPECT_EQ(clock.sleeps, 7200);
    EXPECT_EQ(clock.sleptMs, 7200 * 500);
    EXPECT_EQ(probe.closeCalls, 1);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, QStringLiteral("EXCELが終了できません"));
    EXPECT_EQ(dialog.unloads, 1);
}

// Cancel on the instance's own question about unsaved documents is an
// answer: the gate does not ask again and ends at once on the path of the
// instance that does not close.
TEST_F(GateTest, AutoQuitRefusedEndsAt4AfterOneRequest) {
    probe.runningFor = 1'000'000;
    probe.refuses = true;
    EXPECT_EQ(Run(), sheet::GateResult::Unavailable);
    EXPECT_EQ(probe.closeCalls, 1);
    EXPECT_EQ(clock.sleeps, 1);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, QStringLiteral("EXCELが終了できません"));
    EXPECT_EQ(dialog.unloads, 1);

    // Chosen after a reminder, the same.
    probe.closeCalls = 0;
    dialog.script = {GateChoice::Continue, GateChoice::AutoQuit};
    EXPECT_EQ(Run(), sheet::GateResult::Unavailable);
    EXPECT_EQ(probe.closeCalls, 1);
}

TEST_F(GateTest, DialogClosedByItsFrameCountsAsAutoQuit) {
    // A dialog unloaded by its frame starts afresh at AutoQuit.
    probe.runningFor = 1;
    EXPECT_EQ(Run(), sheet::GateResult::AutoClosed);
    EXPECT_EQ(dialog.shows, 1);
}

TEST_F(GateTest, WithoutAnInstalledBackendNothingStartsAndTheGateSaysSo) {
    // No implicit default: a program that installed no backend gets an
    // error it can show, never a silently started office.
    try {
        sheet::CreateApplication();
        ADD_FAILURE() << "an application without a backend";
    } catch (const sheet::SheetError& e) {
        EXPECT_EQ(e.Kind(), sheet::SheetErrorKind::CannotStart);
    }
    EXPECT_EQ(sheet::RunExcelGate(), sheet::GateResult::Unavailable);
    EXPECT_EQ(sink.shown.size(), 1u);

    // A probe put in place counts while its override lives, and the
    // installed collaborators are the ones RunExcelGate() uses.
    probe.installed = true;
    {
        common::ScopedOverride<sheet::ExcelProbe> inPlace(sheet::ExcelProbeSeam(), &probe);
        common::ScopedOverride<sheet::GateClock> clockInPlace(sheet::GateClockSeam(), &clock);
        EXPECT_EQ(sheet::RunExcelGate(), sheet::GateResult::NotRunning);
    }
    EXPECT_EQ(sheet::RunExcelGate(), sheet::GateResult::Unavailable);
}

} // namespace
