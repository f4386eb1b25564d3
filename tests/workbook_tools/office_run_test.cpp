// The frame of every spreadsheet run against the in-memory office: what
// happens around the steps when the gate refuses, the office does not start,
// a step loses the office or all goes well, and how the result is opened.

#include "common/seam.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "fake_spreadsheet.h"
#include "workbook_tools/office_run.h"
#include "workbook_tools/tool_doubles.h"

#include <gtest/gtest.h>

#include <optional>

#include <functional>

namespace {

using common::MsgIcon;
using tools::AfterRun;
using tools::RunOutcome;

// Steps whose work the test scripts; they record when their books are
// closed.
class ScriptedSteps : public tools::OfficeSteps {
public:
    explicit ScriptedSteps(fakesheet::FakeOffice& office) : office_(office) {}
    RunOutcome Work(sheet::Application& app) override {
        ++worked;
        book = app.Workbooks().Add();
        return work ? work() : tools::NoResult(AfterRun::ReturnToCaller);
    }
    void CloseBooks() noexcept override {
        ++closed;
        officeRunningAtClose = office_.ApplicationsRunning();
        sheet::CloseQuietly(book);
    }
    std::function<RunOutcome()> work;
    std::shared_ptr<sheet::Workbook> book;
    int worked = 0;
    int closed = 0;
    int officeRunningAtClose = -1;

private:
    fakesheet::FakeOffice& office_;
};

class OfficeRunTest : public ::testing::Test {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;
    std::optional<common::ScopedOverride<sheet::ProgressView>> viewInPlace_;

protected:
    void SetUp() override {
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe);
        viewInPlace_.emplace(sheet::ProgressViewSeam(), &progress);
        // Every message records whether the progress window was still there.
        messages.onShow = [this](const testing_support::FakeMessages::Message&) {
            windowUpAtMessage.append(progress.unloaded == 0);
        };
        frame.title = QStringLiteral("見出し");
        frame.countCaption = QStringLiteral("シート");
        frame.gateRefused = AfterRun::Stay;
        frame.startFailed = [](const sheet::SheetError& e) {
            return tools::Notice{QStringLiteral("起動できません ") + e.Text(), MsgIcon::Critical};
        };
        frame.afterStartFailed = AfterRun::EndProgram;
        frame.failed = [](const sheet::SheetError& e) {
            return tools::Notice{QStringLiteral("失敗 ") + e.Text(), MsgIcon::Critical};
        };
        frame.afterFailed = AfterRun::EndWithoutSaving;
    }
    void TearDown() override {
        viewInPlace_.reset();
        probeInPlace_.reset();
    }
    RunOutcome Run() { return tools::RunInOffice(frame, steps); }

    fakesheet::FakeOffice office;
    tools_test::FakeProbe probe;
    tools_test::FakeProgress progress;
    testing_support::FakeMessages messages;
    testing_support::FakeProcess process;
    ScriptedSteps steps{office};
    tools::RunFrame frame;
    QList<bool> windowUpAtMessage;
};

TEST_F(OfficeRunTest, AGateThatRefusesStartsNoOfficeAndRunsNoStep) {
    probe.installed = false;
    const RunOutcome outcome = Run();
    EXPECT_EQ(outcome.next, AfterRun::Stay);
    EXPECT_TRUE(outcome.result.file.isEmpty());
    EXPECT_EQ(office.ApplicationsCreated(), 0);
    EXPECT_EQ(steps.worked, 0);
}

TEST_F(OfficeRunTest, AnOfficeThatDoesNotStartIsSaidOnceTheWindowHasGone) {
    office.FailCreate();
    const RunOutcome outcome = Run();
    EXPECT_EQ(outcome.next, AfterRun::EndProgram);
    EXPECT_EQ(steps.worked, 0);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("起動できません ")));
    EXPECT_EQ(messages.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(windowUpAtMessage, QList<bool>{false});
    EXPECT_EQ(progress.unloaded, 1);
}

// The office lost in the middle of the steps: their books are closed while
// the office still runs, then it quits; what the frame says comes last, and
// nothing is opened.
TEST_F(OfficeRunTest, AStepThatLosesTheOfficeEndsTheRunAsTheFrameSays) {
    steps.work = []() -> RunOutcome {
        throw sheet::SheetError(sheet::SheetErrorKind::OfficeLost,
                                QStringLiteral("接続が切れました"));
    };
    const RunOutcome outcome = Run();
    EXPECT_EQ(outcome.next, AfterRun::EndWithoutSaving);
    EXPECT_TRUE(outcome.result.file.isEmpty());
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("失敗 462 接続が切れました")});
    EXPECT_EQ(windowUpAtMessage, QList<bool>{false});
    EXPECT_EQ(steps.closed, 1);
    EXPECT_EQ(steps.officeRunningAtClose, 1);
    EXPECT_FALSE(steps.book);
    EXPECT_EQ(office.ApplicationsRunning(), 0);
    EXPECT_EQ(progress.unloaded, 1);
}

TEST_F(OfficeRunTest, ASuccessfulRunShowsItsTitleAndHandsBackTheResult) {
    bool titleShownAtWork = false;
    steps.work = [&] {
        titleShownAtWork = progress.shown > 0 &&
                           progress.Label(sheet::ProgressLabel::Task) == QStringLiteral("見出し");
        // Said during the run, while the window is up.
        common::ShowMessage(QStringLiteral("途中"));
        RunOutcome outcome = tools::NoResult(AfterRun::ReturnToCaller);
        outcome.result.file = QStringLiteral("/d/結果.xls");
        outcome.farewell = {QStringLiteral("おわり"), MsgIcon::Information};
        return outcome;
    };
    const RunOutcome outcome = Run();
    EXPECT_TRUE(titleShownAtWork);
    EXPECT_EQ(outcome.next, AfterRun::ReturnToCaller);
    EXPECT_EQ(outcome.result.file, QStringLiteral("/d/結果.xls"));
    EXPECT_EQ(messages.Texts(), (QStringList{QStringLiteral("途中"), QStringLiteral("おわり")}));
    EXPECT_EQ(windowUpAtMessage, (QList<bool>{true, false}));
    EXPECT_EQ(office.ApplicationsRunning(), 0);
    EXPECT_EQ(steps.closed, 1);
    // The run itself opens nothing: that is for the screen, afterwards.
    EXPECT_TRUE(process.starts.isEmpty());
}

TEST_F(OfficeRunTest, TheResultIsOpenedWithTheLauncherOrTheUserIsToldWhereItIs) {
    tools::ResultToOpen result;
    result.notFound = {QStringLiteral("見つかりません"), MsgIcon::Information};
    result.notStarted = {QStringLiteral("起動できません"), MsgIcon::Exclamation};

    tools::OpenForUser(result, QStringLiteral("/opt/office/soffice")); // nothing to open
    EXPECT_TRUE(process.starts.isEmpty());
    EXPECT_EQ(messages.Count(), 0);

    result.file = QStringLiteral("/d/a b.xls");
    tools::OpenForUser(result, QStringLiteral("/opt/office/soffice"));
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].program, QStringLiteral("/opt/office/soffice"));
    EXPECT_EQ(process.starts[0].args, QStringList{QStringLiteral("/d/a b.xls")});
    EXPECT_EQ(messages.Count(), 0);

    tools::OpenForUser(result, QString());
    EXPECT_EQ(process.starts.size(), 1);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("見つかりません")});

    process.startSucceeds = false;
    tools::OpenForUser(result, QStringLiteral("/opt/office/soffice"));
    EXPECT_EQ(messages.LastText(), QStringLiteral("起動できません"));
    EXPECT_EQ(messages.messages.last().icon, MsgIcon::Exclamation);
    // Without a text for it, a failed start says nothing.
    result.notStarted = {};
    tools::OpenForUser(result, QStringLiteral("/opt/office/soffice"));
    EXPECT_EQ(messages.Count(), 2);
}

} // namespace
