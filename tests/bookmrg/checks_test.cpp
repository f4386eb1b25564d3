#include "bookmrg/book_list.h"
#include "bookmrg/run_check.h"
#include "bookmrg/run_params.h"
#include "common/result_words.h"
#include "fake_messages.h"
#include "spreadsheet/spreadsheet.h"
#include "workbook_tools/tool_env.h"

namespace {

using bookmrg::RunParams;
using testing_support::FakeMessages;

TEST(BookList, SortsWithoutRegardToCaseAndKeepsDuplicates) {
    QStringList lines;
    EXPECT_EQ(bookmrg::InsertSorted(lines, QStringLiteral("/d/b.xls")), 0);
    EXPECT_EQ(bookmrg::InsertSorted(lines, QStringLiteral("/d/a.xls")), 0);
    EXPECT_EQ(bookmrg::InsertSorted(lines, QStringLiteral("/d/B2.xls")), 2);
    EXPECT_EQ(bookmrg::InsertSorted(lines, QStringLiteral("/D/A.xls")), 1);
    EXPECT_EQ(bookmrg::InsertSorted(lines, QStringLiteral("/d/a.xls")), 2);
    EXPECT_EQ(lines, QStringList({"/d/a.xls", "/D/A.xls", "/d/a.xls", "/d/b.xls", "/d/B2.xls"}));
}

TEST(BookList, OutputNamesForTheEngine) {

    EXPECT_EQ(bookmrg::OutputBaseName(" /d/Out.XLS "), QStringLiteral("/d/Out"));
    EXPECT_EQ(bookmrg::OutputFileName("/d/Out.Xls"), QStringLiteral("/d/Out.xls"));
    EXPECT_EQ(bookmrg::OutputFileName("/d/Out"), QStringLiteral("/d/Out.xls"));
    EXPECT_EQ(bookmrg::OutputFileFormat("/d/Out.xls"), sheet::xlNormal);
    // Today's format: its own extension and format, no ".xls" added.
    EXPECT_EQ(bookmrg::OutputBaseName("/d/Out.XLSX "), QStringLiteral("/d/Out"));
    EXPECT_EQ(bookmrg::OutputFileName("/d/Out.XLSX"), QStringLiteral("/d/Out.xlsx"));
    EXPECT_EQ(bookmrg::OutputFileFormat(" /d/Out.Xlsx "), sheet::xlOpenXMLWorkbook);
    EXPECT_EQ(bookmrg::OutputFileFormat("/d/Out.xlsx.bak"), sheet::xlNormal);
}

TEST(ExcludedSheet, WholeAndPartialMatchAreCaseSensitive) {
    RunParams p;
    p.exclude1 = QStringLiteral("Sheet");
    p.matchMode = QStringLiteral("1");
    EXPECT_EQ(bookmrg::IsExcludedSheet("Sheet", p), 1);
    EXPECT_EQ(bookmrg::IsExcludedSheet(" Sheet ", p), 1);
    EXPECT_EQ(bookmrg::IsExcludedSheet("Sheet1", p), 0);
    EXPECT_EQ(bookmrg::IsExcludedSheet("sheet", p), 0);

    p.matchMode = QStringLiteral("2");
    EXPECT_EQ(bookmrg::IsExcludedSheet("Sheet1", p), 1);
    EXPECT_EQ(bookmrg::IsExcludedSheet("MySheet", p), 1);
    EXPECT_EQ(bookmrg::IsExcludedSheet("mysheet", p), 0);
    p.exclude1.clear();
    p.exclude2 = QStringLiteral("目次");
    EXPECT_EQ(bookmrg::IsExcludedSheet("Sheet1", p), 0);
    EXPECT_EQ(bookmrg::IsExcludedSheet("総目次", p), 1);
    // An empty exclusion text never matches in either mode.
    p.exclude2.clear();
    EXPECT_FALSE(bookmrg::HasExclusions(p));
    EXPECT_EQ(bookmrg::IsExcludedSheet("Data", p), 0);
}

class RunChecks : public tools_test::ToolTest {
protected:
    QStringList ExistingBooks(int count) {
        QStringList books;
        for (int i = 0; i < count; ++i) {
            books.append(Book(QStringLiteral("b%1.xls").arg(i)));
            Touch(books.last());
        }
        return books;
    }
    FakeMessages messages;
};

TEST_F(RunChecks, ValidateRunStopsAtTheFirstFailureInOrder) {
    const QString out = Temp("out.xls");

    bookmrg::RunCheck c = bookmrg::ValidateRun(ExistingBooks(65), QString());
    EXPECT_EQ(c.ok, false);
    EXPECT_EQ(messages.LastText(), QStringLiteral("６４ブックまでしか指定できません"));
    EXPECT_EQ(messages.messages.last().icon, common::MsgIcon::None);

    c = bookmrg::ValidateRun({}, out);
    EXPECT_EQ(messages.LastText(), QStringLiteral("対象ブックが１つも指定されていません。"));

    QStringList books = ExistingBooks(3);
    books.insert(1, Book("missing.xls"));
    books.append(Book("")); // the books folder itself is no file
    c = bookmrg::ValidateRun(books, out);
    EXPECT_EQ(c.selectLine, 1);
    EXPECT_EQ(messages.LastText(),
              QStringLiteral("そのファイルは存在しません。対象から外してください"));

    c = bookmrg::ValidateRun(ExistingBooks(2), QStringLiteral("   "));
    EXPECT_TRUE(c.focusOutput);
    EXPECT_EQ(c.selectLine, -1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定してください。"));

    const int before = messages.Count();
    c = bookmrg::ValidateRun(ExistingBooks(64), out);
    EXPECT_EQ(c.ok, true);
    EXPECT_EQ(messages.Count(), before);
}

TEST_F(RunChecks, OutputNamingAListedBookIsRefused) {
    QStringList books = ExistingBooks(2);
    books.append(Book("BOOK1.XLS"));
    Touch(books.last());
    // Typed without extension and in other letter case: still the same book.
    bookmrg::RunCheck c = bookmrg::ValidateRun(books, Book("book1"));
    EXPECT_EQ(c.ok, false);
    EXPECT_EQ(c.selectLine, 2);
    EXPECT_EQ(messages.LastText(), bookmrg::SameNameMessage());
    EXPECT_EQ(bookmrg::FindOutputAmongBooks(books, Book("Book1.Xls") + "  "), 2);
    // The same file spelt through another folder.
    EXPECT_EQ(bookmrg::FindOutputAmongBooks(books, Temp("books/../books/b1")), 1);
    EXPECT_EQ(bookmrg::FindOutputAmongBooks(books, Book("b1.xlsx")), -1);
    books.append(Book("b1.xlsx"));
    EXPECT_EQ(bookmrg::FindOutputAmongBooks(books, Book("B1.XLSX")), 3);
}

} // namespace
