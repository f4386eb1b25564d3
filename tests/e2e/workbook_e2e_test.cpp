// The three programs that make workbooks, run for real on the display with
// the real office and Japanese file names; what they saved is reopened in
// the office and read back.

#include "bookmrg/settings.h"
#include "costcmp/core/input_values.h"
#include "costcmp/core/prm_record.h"
#include "costcmp/report/report_sheet.h"
#include "e2e/handover.h"
#include "shtlist/settings.h"
#include "spreadsheet/spreadsheet.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>

namespace e2e {

namespace {

using sheet::CellValue;

const QString kIndexSheet = QStringLiteral("シート一覧");

// A running program's main window; the programs' windows have ASCII tags.
QString WindowOf(const QString& tag) {
    return desktop::WaitForWindow(QStringLiteral("\\(") + tag + QStringLiteral("\\)"), kWaitMs);
}

// A closed workbook as the office reads it: sheet names and the value of A1
// of each sheet.
struct BookContent {
    QStringList sheets;
    QList<CellValue> a1;
};

class WorkbookTest : public HandOverTest {
protected:
    void SetUp() override {
        HandOverTest::SetUp();
        if (IsSkipped())
            return;
        for (const char* program : {"COSTCMP", "BOOKMRG", "SHTLIST"})
            if (!Need(QString::fromLatin1(program)))
                GTEST_SKIP() << program << " is not built";
        books_ = session.Folder(QStringLiteral("書類"));
        QDir().mkpath(session.DataFolder());
    }

    // A workbook of one sheet per name, A1 holding the given number.
    static void MakeBook(const QString& path, const QList<std::pair<QString, double>>& sheets) {
        std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
        std::shared_ptr<sheet::Workbook> book = app->Workbooks().Add();
        std::shared_ptr<sheet::Worksheet> last = book->Worksheets(1);
        for (int i = 0; i < sheets.size(); ++i) {
            if (i > 0)
                last = last->Copy(sheet::Where::After, *last);
            last->SetName(sheets[i].first);
            last->Range(QStringLiteral("A1"))->SetValue(sheets[i].second);
        }
        book->SaveAs(path);
        book->Close();
        app->Quit();
    }

    static BookContent Read(const QString& path) {
        BookContent content;
        std::unique_ptr<sheet::Application> app = sheet::CreateApplication();
        sheet::OpenOptions readOnly;
        readOnly.readOnly = true;
        std::shared_ptr<sheet::Workbook> book = app->Workbooks().Open(path, readOnly);
        for (int i = 1; i <= book->SheetCount(); ++i) {
            content.sheets << book->Worksheets(i)->Name();
            content.a1 << book->Worksheets(i)->Range(QStringLiteral("A1"))->Value();
        }
        book->Close();
        app->Quit();
        return content;
    }

    void WriteDataFile(const QString& name, const QByteArray& bytes) {
        QFile file(QDir(session.DataFolder()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    // Polls until a file exists below `folder`; its path, or empty.
    static QString WaitForFile(const QString& folder, const QString& name, int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        do {
            QDirIterator it(folder, {name}, QDir::Files | QDir::Hidden,
                            QDirIterator::Subdirectories);
            if (it.hasNext())
                return it.next();
            QThread::msleep(200);
        } while (clock.elapsed() < timeoutMs);
        return QString();
    }

    QString books_;
};

TEST_F(WorkbookTest, ReportIsWrittenFromTheInstalledTemplateAndTheCompanionFollows) {
    costcmp::PrmRecord record;
    const costcmp::ParamTexts texts = costcmp::SampleParamTexts();
    for (int i = 0; i < costcmp::kParamCount; ++i)
        record.fields[i] = texts[i];
    record.Solution() = QString::number(costcmp::SolutionNumber(costcmp::kSampleSolution));
    WriteDataFile(QStringLiteral("COSTCMP.PRM"), costcmp::EncodePrmRecord(record));
    const QString temp = session.Folder(QStringLiteral("temp"));
    session.SetEnv(QStringLiteral("TMPDIR"), temp);

    session.Start(QStringLiteral("COSTCMP"));
    const QString input = WindowOf(QStringLiteral("COSTCMP1"));
    ASSERT_FALSE(input.isEmpty());
    desktop::PressKey(input, QStringLiteral("F12"));
    const QString result = WindowOf(QStringLiteral("COSTCMP2"));
    ASSERT_FALSE(result.isEmpty());
    // Excel出力 is the second of the three buttons: reached from the list.
    desktop::PressKey(result, QStringLiteral("Tab"));
    desktop::PressKey(result, QStringLiteral("Tab"));
    desktop::PressKey(result, QStringLiteral("Return"));

    ASSERT_FALSE(WindowOf(QStringLiteral("COSTSUB1")).isEmpty());
    EXPECT_TRUE(session.WaitUntilGone(QStringLiteral("COSTCMP"), kWaitMs));
    const QString work = WaitForFile(temp, QStringLiteral("work.xls"), kWaitMs);
    ASSERT_FALSE(work.isEmpty());
    session.KillAll(); // the office opened on the result
    const BookContent saved = Read(work);
    EXPECT_EQ(saved.sheets, QStringList{costcmp::ReportSheetName()});
}

TEST_F(WorkbookTest, SheetListIsPutInFrontOfAJapaneseNamedWorkbook) {
    const QString target = books_ + QStringLiteral("/月次報告.xls");
    MakeBook(target, {{QStringLiteral("売上"), 10}, {QStringLiteral("経費"), 20}});
    WriteDataFile(QStringLiteral("SHTLIST.PRM"), shtlist::EncodeSettings(target));

    QProcess* program = session.Start(QStringLiteral("SHTLIST"));
    const QString screen = WindowOf(QStringLiteral("SHTLIST1"));
    ASSERT_FALSE(screen.isEmpty());
    desktop::PressKey(screen, QStringLiteral("F12"));
    EXPECT_EQ(session.WaitForExit(program, 3 * kWaitMs), 0);
    session.KillAll();

    const BookContent saved = Read(target);
    EXPECT_EQ(saved.sheets,
              (QStringList{kIndexSheet, QStringLiteral("売上"), QStringLiteral("経費")}));
    ASSERT_EQ(saved.a1.size(), 3);
    EXPECT_EQ(saved.a1[1], CellValue(10.0));
    EXPECT_EQ(saved.a1[2], CellValue(20.0));
}

TEST_F(WorkbookTest, BooksWithJapaneseNamesAreMergedIntoANewWorkbook) {
    const QString tokyo = books_ + QStringLiteral("/東京支店.xls");
    const QString osaka = books_ + QStringLiteral("/大阪支店.xls");
    MakeBook(tokyo, {{QStringLiteral("売上"), 1}});
    MakeBook(osaka, {{QStringLiteral("売上"), 2}});
    bookmrg::Settings settings;
    settings.outputBook = books_ + QStringLiteral("/全店まとめ.xls");
    settings.books = {tokyo, osaka};
    settings.matchMode = bookmrg::kMatchPart;
    WriteDataFile(QStringLiteral("BOOKMRG.PRM"), bookmrg::EncodeSettings(settings));

    QProcess* program = session.Start(QStringLiteral("BOOKMRG"));
    const QString screen = WindowOf(QStringLiteral("BOOKMRG1"));
    ASSERT_FALSE(screen.isEmpty());
    desktop::PressKey(screen, QStringLiteral("F12"));
    EXPECT_EQ(session.WaitForExit(program, 3 * kWaitMs), 0);
    session.KillAll();

    const BookContent saved = Read(settings.outputBook);
    ASSERT_EQ(saved.sheets.size(), 3) << saved.sheets.join(u',').toStdString();
    EXPECT_EQ(saved.sheets[0], kIndexSheet);
    // The list is taken in name order: 大阪 before 東京.
    ASSERT_EQ(saved.a1.size(), 3);
    EXPECT_EQ(saved.a1[1], CellValue(2.0));
    EXPECT_EQ(saved.a1[2], CellValue(1.0));
}

} // namespace

} // namespace e2e
