#pragma once

#include <optional>

// What every test of a merge run sets up, with the in-memory application or
// the real office.

#include "bookmrg/engine.h"
#include "common/seam.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "workbook_tools/tool_doubles.h"
#include "workbook_tools/tool_env.h"

#include <QFileInfo>

namespace bookmrg_test {

using BookmrgTest = tools_test::ToolTest;
using tools_test::FakeProbe;
using tools_test::FakeProgress;
using tools_test::OutcomeRecorder;
using tools_test::ScriptedPasswords;

// A merge into "out/結果.xls" of the test's folder. The messages, program
// starts, progress window and password questions are the recording doubles
// below, `host` does what the screen does with the outcome; no stop is
// pending.
class MergeTest : public BookmrgTest {
    std::optional<common::ScopedOverride<sheet::ProgressView>> viewInPlace_;

protected:
    void SetUp() override {
        BookmrgTest::SetUp();
        viewInPlace_.emplace(sheet::ProgressViewSeam(), &progress);
        sheet::ClearCancelFlag();
    }
    void TearDown() override {
        viewInPlace_.reset();
        sheet::ClearCancelFlag();
        BookmrgTest::TearDown();
    }

    bookmrg::RunParams Params(const QStringList& books, const QString& exclude1 = QString(),
                              const QString& exclude2 = QString(),
                              bookmrg::MatchMode mode = bookmrg::MatchMode::PartOfName) {
        bookmrg::RunParams p;
        p.outputBook = Temp(QStringLiteral("out/結果.XLS"));
        QDir().mkpath(Temp(QStringLiteral("out")));
        p.books = books;
        p.exclude1 = exclude1;
        p.exclude2 = exclude2;
        p.matchMode = mode;
        p.templatePath = templatePath;
        return p;
    }
    QString OutputFile() const { return Temp(QStringLiteral("out/結果.xls")); }

    testing_support::FakeMessages messages;
    testing_support::FakeProcess process;
    FakeProgress progress;
    ScriptedPasswords passwords;
    common::ScopedOverride<tools::PasswordPrompt> passwordSeam{tools::PasswordPrompts(),
                                                               &passwords};
    OutcomeRecorder host;
    // The template of the runs; empty for the one next to the program.
    QString templatePath;
};

// A merge with the real office and the template built next to the programs.
class UnoMergeTest : public MergeTest {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;

protected:
    void SetUp() override {
        // The office keeps its profiles in the user's cache folder, as in
        // use; a fresh profile makes the office restart once on its first
        // start, which is no part of these tests.
        const QString cache = qEnvironmentVariableIsSet("XDG_CACHE_HOME")
                                  ? qEnvironmentVariable("XDG_CACHE_HOME")
                                  : QDir::homePath() + QStringLiteral("/.cache");
        MergeTest::SetUp();
        Set("XDG_CACHE_HOME", cache);
        templatePath = qEnvironmentVariable("SUITE_BIN_DIR") + "/BOOKMRGX.EXL";
        ASSERT_TRUE(QFileInfo::exists(templatePath));
        // The gate has tests of its own: an office that someone else runs on
        // this machine must not stop these runs.
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe_);
    }
    void TearDown() override {
        probeInPlace_.reset();
        MergeTest::TearDown();
    }

private:
    FakeProbe probe_;
};

} // namespace bookmrg_test
