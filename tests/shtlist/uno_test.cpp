// The sheet list run against the real office: workbooks made here, given
// their sheet list in place, reopened and checked.

#include "common/seam.h"
#include "fake_messages.h"
#include "fake_process.h"
#include "office_inspect.h"
#include "shtlist/engine.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/spreadsheet.h"
#include "view_inspect.h"
#include "workbook_tools/tool_doubles.h"
#include "xls_reader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

namespace {

using sheet::Where;
using testing_support::FakeMessages;
using testing_support::FakeProcess;

QString Text(const sheet::CellValue& v) {
    return std::holds_alternative<QString>(v) ? std::get<QString>(v) : QStringLiteral("<not text>");
}

// The sheet an internal link to A1 leads to ("#'O''Neil'.A1" or "#2024.A1").
QString LinkSheet(const QString& url) {
    if (!url.startsWith(QLatin1Char('#')) || !url.endsWith(QStringLiteral(".A1")))
        return QStringLiteral("<bad link: ") + url + QLatin1Char('>');
    QString s = url.mid(1, url.size() - 4);
    if (s.size() >= 2 && s.startsWith(QLatin1Char('\'')) && s.endsWith(QLatin1Char('\''))) {
        s = s.mid(1, s.size() - 2);
        s.replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    return s;
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ShtlistUnoTest : public ::testing::Test {
    std::optional<common::ScopedOverride<sheet::ExcelProbe>> probeInPlace_;

protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        probeInPlace_.emplace(sheet::ExcelProbeSeam(), &probe_);
        target_ = dir_.filePath(QStringLiteral("月次報告.xls"));
        app_ = sheet::CreateApplication();
        // The shipped template when it has been built, else one made here
        // with the pattern sheet only.
        template_ = qEnvironmentVariable("SUITE_BIN_DIR") + QStringLiteral("/SHTLISTX.EXL");
        if (!QFileInfo::exists(template_)) {
            template_ = dir_.filePath(QStringLiteral("SHTLISTX.EXL"));
            auto tpl = app_->Workbooks().Add();
            tpl->Worksheets(1)->SetName(shtlist::kIndexSheetName);
            tpl->SaveAs(template_);
            tpl->Close();
        }
        auto book = app_->Workbooks().Add();
        book->Worksheets(1)->SetName(QStringLiteral("Sheet1"));
        book->Worksheets(1)->Range(QStringLiteral("B2"))->SetValue(QStringLiteral("元の値"));
        for (const QString& name : {QStringLiteral("2024"), QStringLiteral("東京支店")}) {
            auto last = book->Worksheets(book->SheetCount());
            last->Copy(Where::After, *last)->SetName(name);
        }
        book->SaveAs(target_);
        book->Close();
    }
    void TearDown() override {
        if (app_)
            app_->Quit();
        probeInPlace_.reset();
    }

    void Run() { host_.Follow(shtlist::BuildSheetList(target_, template_)); }

    QStringList SheetNames(sheet::Workbook& book) {
        QStringList names;
        for (int i = 1; i <= book.SheetCount(); ++i)
            names << book.Worksheets(i)->Name();
        return names;
    }

    QTemporaryDir dir_;
    tools_test::FakeProbe probe_;
    tools_test::OutcomeRecorder host_;
    FakeMessages messages_;
    FakeProcess process_;
    std::unique_ptr<sheet::Application> app_;
    QString target_;
    QString template_;
};

TEST_F(ShtlistUnoTest, ThreeSheetsGetTheirListAndASecondRunAddsAnotherList) {
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    EXPECT_EQ(host_.calls, QStringList{QStringLiteral("ReturnToCaller")});
    ASSERT_EQ(process_.starts.size(), 1);
    EXPECT_EQ(process_.starts.first().args, QStringList{target_});
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".~")),
              QStringList());

    {
        auto book = app_->Workbooks().Open(target_, {true, {}});
        EXPECT_EQ(SheetNames(*book),
                  (QStringList{QStringLiteral("シート一覧"), QStringLiteral("Sheet1"),
                               QStringLiteral("2024"), QStringLiteral("東京支店")}));
        EXPECT_EQ(app_->ActiveSheet()->Name(), QStringLiteral("シート一覧"));
        auto list = book->Worksheets(1);
        EXPECT_EQ(Text(list->Range(QStringLiteral("A1"))->Value()),
                  QStringLiteral("※※　目　　次　※※"));
        EXPECT_EQ(Text(list->Range(QStringLiteral("A2"))->Value()),
                  QStringLiteral("クリックすると該当シートに移動します"));
        const QStringList names{QStringLiteral("Sheet1"), QStringLiteral("2024"),
                                QStringLiteral("東京支店")};
        for (int i = 0; i < names.size(); ++i) {
            auto cell = list->Cells(i + 3, 1);
            EXPECT_EQ(Text(cell->Value()), names[i]); // "2024" stays a text
            const QStringList urls = sheet::lo::CellLinks(*cell);
            ASSERT_EQ(urls.size(), 1);
            EXPECT_EQ(LinkSheet(urls[0]), names[i]) << urls[0].toStdString();
            EXPECT_EQ(sheet::lo::CellFontSize(*cell), 11.0);
        }
        EXPECT_TRUE(std::holds_alternative<std::monostate>(list->Cells(6, 1)->Value()));
        EXPECT_EQ(
            Text(book->Worksheets(QStringLiteral("Sheet1"))->Range(QStringLiteral("B2"))->Value()),
            QStringLiteral("元の値"));
        book->Close();
    }

    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    auto book = app_->Workbooks().Open(target_, {true, {}});
    const QStringList names = SheetNames(*book);
    ASSERT_EQ(names.size(), 5);
    EXPECT_NE(names[0], QStringLiteral("シート一覧"));
    EXPECT_TRUE(names[0].startsWith(QStringLiteral("シート一覧")));
    EXPECT_EQ(names[1], QStringLiteral("シート一覧"));
    auto list = book->Worksheets(1);
    EXPECT_EQ(Text(list->Cells(3, 1)->Value()), QStringLiteral("シート一覧"));
    const QStringList urls = sheet::lo::CellLinks(*list->Cells(3, 1));
    ASSERT_EQ(urls.size(), 1);
    EXPECT_EQ(LinkSheet(urls[0]), QStringLiteral("シート一覧"));
    EXPECT_EQ(Text(list->Cells(6, 1)->Value()), QStringLiteral("東京支店"));
    book->Close();
}

// Each sheet of the user's workbook is shown as before (frozen panes, grid
// lines, zoom) after the list is put in front, in either format.
TEST_F(ShtlistUnoTest, EverySheetKeepsHowItIsShown) {
    const QString modern = dir_.filePath(QStringLiteral("今期.xlsx"));
    {
        auto book = app_->Workbooks().Open(target_);
        sheet::lo::SetSheetView(*book, QStringLiteral("Sheet1"), {true, 1, 2, true, 100});
        sheet::lo::SetSheetView(*book, QStringLiteral("2024"), {false, 0, 0, false, 85});
        book->SaveAs(modern, sheet::xlOpenXMLWorkbook);
        book->SaveAs(target_);
        book->Close();
    }
    for (const int format : {int(sheet::xlNormal), int(sheet::xlOpenXMLWorkbook)}) {
        const QString path = format == sheet::xlNormal ? target_ : modern;
        host_.Follow(shtlist::BuildSheetList(path, template_));
        QStringList shown;
        if (format == sheet::xlNormal) {
            shown = xlsread::SheetViews(path);
        } else {
            auto book = app_->Workbooks().Open(path, {true, {}});
            const auto views = sheet::lo::ImportedSheetViews(*book);
            for (const QString& name : SheetNames(*book)) {
                const sheet::lo::SheetViewState v = views.value(name);
                xlsread::Sheet s;
                std::tie(s.frozen, s.frozenColumns, s.frozenRows, s.showGrid, s.zoom) =
                    std::tuple(v.frozen, v.frozenColumns, v.frozenRows, v.showGrid, v.zoom);
                shown << name + QStringLiteral(": ") + xlsread::DescribeView(s);
            }
            book->Close();
        }
        EXPECT_EQ(shown, (QStringList{QStringLiteral("シート一覧: plain"),
                                      QStringLiteral("Sheet1: frozen 1x2"),
                                      QStringLiteral("2024: no grid zoom 85"),
                                      QStringLiteral("東京支店: plain")}))
            << format;
    }
}

TEST_F(ShtlistUnoTest, FailedSaveLeavesTheOriginalBytes) {
    const QByteArray original = Bytes(target_);
    ASSERT_FALSE(original.isEmpty());

    // The new file cannot be written beside the workbook: a folder is in the
    // way of the name it would be written under.
    const QString blocker =
        dir_.filePath(QStringLiteral(".~shtlist-%1-月次報告.xls").arg(getpid()));
    ASSERT_TRUE(QDir().mkpath(blocker + QStringLiteral("/x")));
    Run();
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith(QStringLiteral("ブックを保存できませんでした。")))
        << messages_.LastText().toStdString();
    EXPECT_EQ(Bytes(target_), original);
    EXPECT_TRUE(process_.starts.isEmpty());
    ASSERT_TRUE(QDir(blocker).removeRecursively());

    // A read-only workbook is left as it is.
    ASSERT_TRUE(QFile::setPermissions(target_, QFile::ReadOwner | QFile::ReadGroup));
    Run();
    EXPECT_EQ(messages_.Count(), 2);
    EXPECT_EQ(Bytes(target_), original);
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                        QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_EQ(QFile::permissions(target_) & modeBits, QFile::ReadOwner | QFile::ReadGroup);
}

// Through a symbolic link the real workbook gets its list and the link stays;
// a workbook that another office instance has open is then refused, naming
// its holder, and left as it is.
TEST_F(ShtlistUnoTest, ALinkIsFollowedAndAWorkbookOpenInAnotherOfficeIsRefused) {
    const QString real = target_;
    target_ = dir_.filePath(QStringLiteral("リンク.xls"));
    ASSERT_TRUE(QFile::link(real, target_));
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    EXPECT_TRUE(QFileInfo(target_).isSymLink());
    {
        auto book = app_->Workbooks().Open(real, {true, {}});
        EXPECT_EQ(SheetNames(*book).value(0), QStringLiteral("シート一覧"));
        book->Close();
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".~")),
              QStringList());

    // A second hard link: one save, seen under both names.
    const QString hard = dir_.filePath(QStringLiteral("別名.xls"));
    ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(hard).constData()), 0);
    target_ = hard;
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    EXPECT_EQ(Bytes(hard), Bytes(real));
    {
        auto book = app_->Workbooks().Open(real, {true, {}});
        EXPECT_EQ(SheetNames(*book).size(), 5);
        book->Close();
    }
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".~")),
              QStringList());

    // Another instance, on a profile of its own, opens the workbook.
    const QString bin = QFileInfo(sheet::GetAppPath(QStringLiteral("EXCEL.EXE"))).canonicalPath() +
                        QStringLiteral("/soffice.bin");
    QProcess other;
    // The file name on its command line is read in the locale's character set.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    other.setProcessEnvironment(env);
    other.start(bin, {QStringLiteral("--headless"), QStringLiteral("--invisible"),
                      QStringLiteral("--norestore"),
                      QStringLiteral("-env:UserInstallation=") +
                          QUrl::fromLocalFile(dir_.filePath(QStringLiteral("other"))).toString(),
                      real});
    ASSERT_TRUE(other.waitForStarted(10000));
    const QString lockFile = dir_.filePath(QStringLiteral(".~lock.月次報告.xls#"));
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(lockFile) && timer.elapsed() < 60000) {
        // It ends once to be started again on its new profile.
        if (other.waitForFinished(100))
            other.start();
    }
    ASSERT_TRUE(QFileInfo::exists(lockFile));
    const QByteArray before = Bytes(real);
    Run();
    other.kill();
    other.waitForFinished(10000);
    ASSERT_EQ(messages_.Count(), 1);
    EXPECT_TRUE(messages_.LastText().startsWith(
        QStringLiteral("このブックは他で開かれているため、処理できません。")))
        << messages_.LastText().toStdString();
    EXPECT_TRUE(messages_.LastText().contains(QLatin1Char('@') + QSysInfo::machineHostName()))
        << messages_.LastText().toStdString();
    EXPECT_EQ(Bytes(real), before);
    EXPECT_EQ(process_.starts.size(), 2); // only the earlier runs'
    QFile::remove(lockFile);
}

// The workbook keeps its own format: a workbook of today's format under the
// classic name is not turned into a classic one and cut to its size.
TEST_F(ShtlistUnoTest, AWorkbookOfTodaysFormatNamedXlsKeepsItsFormatAndSize) {
    {
        auto book = app_->Workbooks().Add();
        auto data = book->Worksheets(1);
        data->SetName(QStringLiteral("大きい表"));
        data->Cells(1, 1)->SetValue(QStringLiteral("左上"));
        data->Cells(70000, 300)->SetValue(42.0);
        book->SaveAs(dir_.filePath(QStringLiteral("staging.xlsx")), sheet::xlOpenXMLWorkbook);
        book->Close();
        ASSERT_TRUE(QFile::remove(target_));
        ASSERT_TRUE(QFile::rename(dir_.filePath(QStringLiteral("staging.xlsx")), target_));
    }
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    EXPECT_TRUE(Bytes(target_).startsWith("PK")); // still a zip package, not a classic file

    auto book = app_->Workbooks().Open(target_, {true, {}});
    EXPECT_EQ(book->FileFormat(), sheet::xlOpenXMLWorkbook);
    EXPECT_EQ(SheetNames(*book),
              (QStringList{QStringLiteral("シート一覧"), QStringLiteral("大きい表")}));
    auto data = book->Worksheets(2);
    EXPECT_EQ(data->ContentExtent().rows, 70000);
    EXPECT_EQ(data->ContentExtent().columns, 300);
    const sheet::CellValue far = data->Cells(70000, 300)->Value();
    ASSERT_TRUE(std::holds_alternative<double>(far));
    EXPECT_EQ(std::get<double>(far), 42.0);
    EXPECT_EQ(Text(book->Worksheets(1)->Cells(3, 1)->Value()), QStringLiteral("大きい表"));
}

// A protected workbook opened with the password the user typed is saved with
// that password again, in its own format.
TEST_F(ShtlistUnoTest, AProtectedWorkbookStaysProtectedWithItsPassword) {
    tools_test::ScriptedPasswords passwords;
    const common::ScopedOverride<tools::PasswordPrompt> asked(tools::PasswordPrompts(), &passwords);
    for (int format : {int(sheet::xlNormal), int(sheet::xlOpenXMLWorkbook)}) {
        const QString path =
            dir_.filePath(QStringLiteral("保護.") + sheet::FileFormatExtension(format));
        {
            auto book = app_->Workbooks().Add();
            book->Worksheets(1)->SetName(QStringLiteral("機密"));
            book->SaveAs(path, format, QStringLiteral("合言葉1"));
            book->Close();
        }
        target_ = path;
        passwords.answers = {QStringLiteral("合言葉1")};
        Run();
        EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
        EXPECT_EQ(passwords.asked, QStringList{path});
        passwords.asked.clear();

        std::shared_ptr<sheet::Workbook> open;
        EXPECT_THROW(open = app_->Workbooks().Open(path, {true, {}}), sheet::SheetError) << format;
        sheet::CloseQuietly(open);
        auto book = app_->Workbooks().Open(path, {true, QStringLiteral("合言葉1")});
        EXPECT_EQ(book->FileFormat(), format);
        EXPECT_EQ(SheetNames(*book),
                  (QStringList{QStringLiteral("シート一覧"), QStringLiteral("機密")}));
        book->Close();
    }
}

// Formulas with a text result keep it in the saved original, for readers
// that show what the file stores.
TEST_F(ShtlistUnoTest, TextResultsOfTheUsersFormulasStayInTheFile) {
    {
        auto book = app_->Workbooks().Add();
        auto s = book->Worksheets(1);
        s->SetName(QStringLiteral("目次"));
        s->Cells(1, 1)->SetValue(3.0);
        s->Cells(2, 1)->SetFormula(QStringLiteral("=IF(A1>2;\"達成\";\"未達\")"));
        s->Cells(3, 1)->SetFormula(QStringLiteral("=HYPERLINK(\"#目次.A1\";\"先頭\")"));
        book->SaveAs(target_);
        book->Close();
    }
    Run();
    EXPECT_EQ(messages_.Count(), 0) << messages_.LastText().toStdString();
    const xlsread::Book stored = xlsread::Read(target_);
    ASSERT_TRUE(stored.ok) << stored.error.toStdString();
    ASSERT_EQ(stored.sheets.size(), 2);
    EXPECT_EQ(stored.sheets[1].name, QStringLiteral("目次"));
    const auto& results = stored.sheets[1].formulaResults;
    EXPECT_EQ(xlsread::Describe(results.value({2, 1})), QStringLiteral("\"達成\""));
    EXPECT_EQ(xlsread::Describe(results.value({3, 1})), QStringLiteral("\"先頭\""));
}

} // namespace
