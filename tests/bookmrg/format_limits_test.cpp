// The output's format and the classic format's limits: names, the check
// before a run and the unique names of long sheet names.

#include "bookmrg/format_limits.h"
#include "classic_builder.h"
#include "engine_fixture.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using bookmrg_test::EngineTest;

TEST(ShortSheetNames, StayWithin31CharactersAndUnique) {
    const QString name31 = QString(31, QLatin1Char('N'));
    EXPECT_EQ(bookmrg::ShortSheetName(name31, name31, {}), name31);
    // The application's "_2" made it 33 characters.
    EXPECT_EQ(bookmrg::ShortSheetName(name31, name31 + "_2", {name31}),
              QString(29, QLatin1Char('N')) + "_2");
    EXPECT_EQ(bookmrg::ShortSheetName(name31, name31 + "_3",
                                      {name31, QString(29, QLatin1Char('n')) + "_2"}),
              QString(29, QLatin1Char('N')) + "_3");
    EXPECT_EQ(bookmrg::ShortSheetName(name31, name31 + "_10", {}).size(), 31);
    // A longer source name is first tried cut without a number.
    const QString name40 = QString(40, QLatin1Char('L'));
    EXPECT_EQ(bookmrg::ShortSheetName(name40, name40, {}), QString(31, QLatin1Char('L')));
    EXPECT_EQ(bookmrg::ShortSheetName(name40, name40 + "_2", {QString(31, QLatin1Char('L'))}),
              QString(29, QLatin1Char('L')) + "_2");
    // A character outside the basic plane is never cut in two.
    const QString wide = QString(28, QLatin1Char('x')) + QStringLiteral("𠮷𠮷");
    const QString whole = QString(28, QLatin1Char('x')) + QStringLiteral("𠮷");
    EXPECT_EQ(bookmrg::ShortSheetName(wide, wide, {}), whole);
    EXPECT_EQ(bookmrg::ShortSheetName(wide, wide + "_2", {whole}),
              QString(28, QLatin1Char('x')) + "_2");
}

TEST(ClassicLimits, SizesAndMessage) {
    EXPECT_TRUE(bookmrg::FitsClassicFormat({65536, 256}));
    EXPECT_FALSE(bookmrg::FitsClassicFormat({65537, 1}));
    EXPECT_FALSE(bookmrg::FitsClassicFormat({1, 257}));
    const QString text = bookmrg::ClassicLimitMessage(QStringLiteral("/d/大.xlsx"),
                                                      QStringLiteral("明細"), {70000, 12});
    EXPECT_TRUE(text.contains(QStringLiteral("/d/大.xlsx")));
    EXPECT_TRUE(text.contains(QStringLiteral("明細（70,000 行 × 12 列）")));
    EXPECT_TRUE(text.contains(QStringLiteral(".xlsx で終わる名前")));
}

// A compound document with the given entries (streams, all empty) after its
// root, its directory spread over as many sectors as it takes.
QByteArray CompoundFile(const QStringList& streams) {
    QList<classic_test::Stream> entries;
    for (const QString& name : streams)
        entries.append({name, QByteArray()});
    return classic_test::Compound(entries);
}

TEST(ClassicLimits, APasswordProtectedPackageIsNoClassicWorkbook) {
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    };
    const QString classic =
        write(QStringLiteral("a.xls"),
              CompoundFile({QStringLiteral("Workbook"), QStringLiteral("\x05SummaryInformation")}));
    EXPECT_TRUE(bookmrg::IsClassicWorkbookFile(classic));
    EXPECT_EQ(bookmrg::CompoundEntryNames(classic),
              (QStringList{QStringLiteral("Workbook"), QStringLiteral("\x05SummaryInformation")}));
    // A password-protected .xlsx is a compound document too, without a
    // workbook stream: its sheets may exceed the classic limits.
    const QString encrypted =
        write(QStringLiteral("b.xlsx"),
              CompoundFile({QStringLiteral("\x06DataSpaces"), QStringLiteral("EncryptionInfo"),
                            QStringLiteral("EncryptedPackage")}));
    EXPECT_FALSE(bookmrg::IsClassicWorkbookFile(encrypted));
    EXPECT_TRUE(
        bookmrg::CompoundEntryNames(encrypted).contains(QStringLiteral("EncryptedPackage")));
    // A compound document cut short lists nothing; it counts as classic
    // (opening it reports the damage).
    const QString cut = write(QStringLiteral("d.xls"), CompoundFile({"Workbook"}).left(300));
    EXPECT_TRUE(bookmrg::CompoundEntryNames(cut).isEmpty());
    EXPECT_TRUE(bookmrg::IsClassicWorkbookFile(cut));
    // The encrypted package listed in a later sector of the directory.
    const QString late =
        write(QStringLiteral("f.xlsx"),
              CompoundFile({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                            QStringLiteral("D"), QStringLiteral("E"),
                            QStringLiteral("EncryptedPackage")}));
    EXPECT_FALSE(bookmrg::IsClassicWorkbookFile(late));
    EXPECT_FALSE(
        bookmrg::IsClassicWorkbookFile(write(QStringLiteral("e.xlsx"), "PK\x03\x04 package")));
    EXPECT_FALSE(bookmrg::IsClassicWorkbookFile(dir.filePath(QStringLiteral("missing.xls"))));
}

class FormatEngineTest : public EngineTest {
protected:
    // A book of today's format whose sheets reach as far as given.
    QString WriteModern(const QString& name,
                        const std::vector<std::pair<QString, sheet::CellExtent>>& sheets,
                        const QString& password = QString()) {
        fakesheet::Book book;
        for (const auto& [sheetName, extent] : sheets) {
            fakesheet::Sheet s;
            s.name = sheetName;
            s.cells[QStringLiteral("A1")].value = sheetName;
            s.extent = extent;
            book.sheets.push_back(s);
        }
        book.fileFormat = sheet::xlOpenXMLWorkbook;
        book.password = password;
        const QString path = Book(name);
        EXPECT_TRUE(fakesheet::WriteBook(path, book));
        return path;
    }
};

TEST_F(FormatEngineTest, AnXlsOutputRefusesASheetItCannotHoldBeforeAnythingIsWritten) {
    const QString a = WriteNamed("a.xls", {"Sheet1"});
    const QString big = WriteModern("big.xlsx", {{"小", {10, 10}}, {"明細", {70000, 12}}});
    Run(Params({a, big}));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.LastText().contains(big)) << messages.LastText().toStdString();
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("明細（70,000 行 × 12 列）")));
    EXPECT_FALSE(QFile::exists(OutputFile()));
    EXPECT_TRUE(office.Calls("Worksheets").filter(".Copy").isEmpty());
    EXPECT_EQ(host.calls, QStringList{QStringLiteral("EndProgram")});
    EXPECT_EQ(office.ApplicationsRunning(), 0);
    // The classic book is not opened for the check, only the other one.
    EXPECT_TRUE(office.Calls("Workbooks.Open " + a).isEmpty());
    EXPECT_EQ(office.Calls("Workbooks.Open " + big).size(), 1);
}

TEST_F(FormatEngineTest, AWideSheetLeftOutDoesNotStopTheRun) {
    const QString a = WriteNamed("a.xls", {"Sheet1"});
    const QString wide = WriteModern("wide.xlsx", {{"表", {100, 200}}, {"作業用", {10, 300}}});
    Run(Params({a, wide}, QStringLiteral("作業")));
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    const auto out = Output();
    ASSERT_TRUE(out);
    EXPECT_EQ(out->fileFormat, sheet::xlNormal);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "Sheet1", "表"}));
}

TEST_F(FormatEngineTest, AnXlsxOutputTakesEverySheetAndIsWrittenInItsFormat) {
    const QString a = WriteNamed("a.xls", {"Sheet1"});
    const QString big = WriteModern("big.xlsx", {{"明細", {70000, 300}}});
    bookmrg::RunParams params = Params({a, big});
    params.outputBook = Temp(QStringLiteral("out/結果.XLSX"));
    Run(params);
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    const QString written = Temp(QStringLiteral("out/結果.xlsx"));
    const auto out = fakesheet::ReadBook(written);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->fileFormat, sheet::xlOpenXMLWorkbook);
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", "Sheet1", "明細"}));
    EXPECT_FALSE(QFile::exists(OutputFile()));
    ASSERT_EQ(process.starts.size(), 1);
    EXPECT_EQ(process.starts[0].args, QStringList{written});
    // Nothing is checked for an output without the limits.
    EXPECT_TRUE(office.Calls("Worksheets").filter("ContentExtent").isEmpty());
}

TEST_F(FormatEngineTest, AProtectedBookIsAskedForOnceThoughItIsCheckedAndMerged) {
    const QString a = WriteNamed("a.xls", {"Sheet1"});
    const QString locked = WriteModern("locked.xlsx", {{"秘", {5, 5}}}, QStringLiteral("pw"));
    passwords.answers = {QStringLiteral("pw")};
    Run(Params({a, locked}));
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    EXPECT_EQ(passwords.asked, QStringList{locked});
    ASSERT_TRUE(Output());
    EXPECT_EQ(Output()->SheetNames(), QStringList({"シート一覧", "Sheet1", "秘"}));

    // Cancelled at the check: not asked again, reported at its turn.
    passwords.asked.clear();
    passwords.answers = {std::nullopt};
    Run(Params({a, locked}));
    EXPECT_EQ(passwords.asked, QStringList{locked});
    EXPECT_EQ(messages.LastText(), QStringLiteral("パスワードがキャンセルされました。\r"
                                                  "このブックは処理しません。\r"));
    EXPECT_EQ(Output()->SheetNames(), QStringList({"シート一覧", "Sheet1"}));
}

TEST_F(FormatEngineTest, UniqueNamesOfLongSheetNamesStayWithin31Characters) {
    const QString head = QStringLiteral("東京支店第一営業部売上明細二〇二四年度上期分集計表");
    ASSERT_EQ(head.size(), 25);
    const QString longName = head + QStringLiteral("ABCDEF"); // 31 characters
    const QString a = WriteNamed("a.xls", {longName});
    const QString b = WriteNamed("b.xls", {longName});
    const QString c = WriteNamed("c.xls", {longName});
    Run(Params({a, b, c}));
    EXPECT_EQ(messages.Count(), 0) << messages.LastText().toStdString();
    const auto out = Output();
    ASSERT_TRUE(out);
    const QString second = longName.left(29) + QStringLiteral("_2");
    const QString third = longName.left(29) + QStringLiteral("_3");
    EXPECT_EQ(out->SheetNames(), QStringList({"シート一覧", longName, second, third}));
    const fakesheet::Sheet& index = out->sheets[0];
    EXPECT_EQ(index.At("A4").Text(), second);
    EXPECT_EQ(index.At("A4").link, QStringLiteral("#'") + second + QStringLiteral("'!B1"));
    EXPECT_EQ(index.At("C4").Text(), longName); // the name it had in its book
    EXPECT_EQ(out->Find(third)->At("A1").Text(), longName);
}

} // namespace
