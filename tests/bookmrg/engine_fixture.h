#pragma once

#include <optional>

#include "common/seam.h"
#include "fake_spreadsheet.h"
#include "merge_fixture.h"

namespace bookmrg_test {

using SheetSpec = std::vector<std::pair<QString, std::map<QString, sheet::CellValue>>>;

// A merge with the in-memory application and a template of one sheet list.
class EngineTest : public MergeTest {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;

protected:
    void SetUp() override {
        MergeTest::SetUp();
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe);
        sheet::ResetProgressCounter();
        const QString tpl = Temp(QStringLiteral("BOOKMRGX.EXL"));
        ASSERT_TRUE(fakesheet::WriteBook(
            tpl, fakesheet::MakeBook({{QStringLiteral("シート一覧"),
                                       {{QStringLiteral("D1"), QStringLiteral("見本")}}}})));
        templatePath = tpl;
    }
    void TearDown() override {
        probeInPlace_.reset();
        MergeTest::TearDown();
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

    std::optional<fakesheet::Book> Output() const { return fakesheet::ReadBook(OutputFile()); }

    void Run(const bookmrg::RunParams& params) { host.Follow(bookmrg::ConsolidateBooks(params)); }

    fakesheet::FakeOffice office;
    FakeProbe probe;
};

} // namespace bookmrg_test
