#pragma once

#include "bookmrg/engine.h"
#include "bookmrg/password_prompt.h"
#include "bookmrg_env.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "fake_spreadsheet.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"

#include <QHash>
#include <QList>
#include <functional>
#include <optional>

namespace bookmrg_test {

class FakeProbe : public sheet::ExcelProbe {
public:
    bool IsExcelInstalled() override { return installed; }
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
    bool installed = true;
};

class RecordingHost : public bookmrg::ProgramHost {
public:
    void EndProgram() override { calls.append(QStringLiteral("EndProgram")); }
    void ReturnToCaller() override { calls.append(QStringLiteral("ReturnToCaller")); }
    QStringList calls;
};

// Records what the progress window is told; a test may act when a label
// changes (to press the stop button at a given sheet, for instance).
class FakeProgress : public sheet::ProgressView {
public:
    void Show() override { ++shown; }
    void Unload() override { ++unloaded; }
    void SetLabelText(sheet::ProgressLabel label, const QString& text) override {
        labels[int(label)] = text;
        if (label == sheet::ProgressLabel::Key2)
            key2.append(text);
        if (label == sheet::ProgressLabel::Ken1)
            ken1.append(text);
    }
    void SetLabelVisible(sheet::ProgressLabel, bool) override {}
    void SetBarValue(sheet::ProgressBar, int value) override { bar.append(value); }
    void SetBarVisible(sheet::ProgressBar, bool) override {}
    void ProcessEvents() override {
        if (onEvents)
            onEvents(*this);
    }
    QString Label(sheet::ProgressLabel label) const { return labels.value(int(label)); }

    int shown = 0;
    int unloaded = 0;
    QHash<int, QString> labels;
    QStringList key2;
    QStringList ken1;
    QList<int> bar;
    std::function<void(FakeProgress&)> onEvents;
};

class ScriptedPasswords : public bookmrg::PasswordPrompt {
public:
    bool Ask(const QString& bookPath, bool retry, QString* password) override {
        asked.append(bookPath + (retry ? QStringLiteral(" retry") : QString()));
        if (answers.isEmpty() || !answers.first().has_value()) {
            if (!answers.isEmpty())
                answers.removeFirst();
            return false;
        }
        *password = *answers.takeFirst();
        return true;
    }
    QList<std::optional<QString>> answers;
    QStringList asked;
};

using SheetSpec = std::vector<std::pair<QString, std::map<QString, sheet::CellValue>>>;

class EngineTest : public BookmrgTest {
protected:
    void SetUp() override {
        BookmrgTest::SetUp();
        sheet::SetExcelProbe(&probe);
        sheet::SetProgressView(&progress);
        sheet::ResetProgressCounter();
        sheet::ClearCancelFlag();
        bookmrg::SetPasswordPrompt(&passwords);
        const QString tpl = Temp(QStringLiteral("BOOKMRGX.EXL"));
        ASSERT_TRUE(fakesheet::WriteBook(
            tpl, fakesheet::MakeBook({{QStringLiteral("シート一覧"),
                                       {{QStringLiteral("D1"), QStringLiteral("見本")}}}})));
        bookmrg::SetTemplatePath(tpl);
    }
    void TearDown() override {
        sheet::SetExcelProbe(nullptr);
        sheet::SetProgressView(nullptr);
        sheet::ClearCancelFlag();
        bookmrg::SetPasswordPrompt(nullptr);
        bookmrg::SetTemplatePath(QString());
        BookmrgTest::TearDown();
    }

    QString WriteBook(const QString& name, const SheetSpec& sheets,
                      const QString& password = QString()) {
        fakesheet::Book book = fakesheet::MakeBook(sheets);
        book.password = password;
        const QString path = Book(name);
        EXPECT_TRUE(fakesheet::WriteBook(path, book));
        return path;
    }
    // A book whose sheets hold their own name in A1.
    QString WriteNamed(const QString& name, const QStringList& sheets,
                       const QString& password = QString()) {
        SheetSpec spec;
        for (const QString& s : sheets)
            spec.push_back({s, {{QStringLiteral("A1"), s}}});
        return WriteBook(name, spec, password);
    }

    bookmrg::RunParams Params(const QStringList& books, const QString& exclude1 = QString(),
                              const QString& exclude2 = QString(),
                              const QString& mode = QStringLiteral("2")) {
        bookmrg::RunParams p;
        p.outputBook = Temp(QStringLiteral("out/結果.XLS"));
        QDir().mkpath(Temp(QStringLiteral("out")));
        p.books = books;
        p.exclude1 = exclude1;
        p.exclude2 = exclude2;
        p.matchMode = mode;
        return p;
    }
    QString OutputFile() const { return Temp(QStringLiteral("out/結果.xls")); }
    std::optional<fakesheet::Book> Output() const { return fakesheet::ReadBook(OutputFile()); }

    void Run(const bookmrg::RunParams& params) { bookmrg::ConsolidateBooks(params, host); }

    fakesheet::FakeOffice office;
    testing_support::FakeMessages messages;
    testing_support::FakeProcess process;
    FakeProbe probe;
    FakeProgress progress;
    ScriptedPasswords passwords;
    RecordingHost host;
};

} // namespace bookmrg_test
