#pragma once

#include "bookmrg_env.h"
#include "engine_doubles.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "fake_spreadsheet.h"

namespace bookmrg_test {

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
