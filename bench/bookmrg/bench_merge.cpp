// The consolidation of 64 realistic books of 5 sheets, end to end through the
// engine, against a bare loop of the same UNO calls in the same office
// version. Prints both times and their ratio and checks the engine's output;
// never fails on time.

#include "bookmrg/engine.h"
#include "common/messages.h"
#include "common/program_start.h"
#include "sample_books.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/lo/office.h"
#include "spreadsheet/spreadsheet.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;
using sheet::lo::SeqOf;
using sheet::lo::ToOU;

constexpr int kBooks = 64;

class PrintedMessages : public common::MessageSink {
public:
    common::MsgAnswer Show(const QString&, const QString& text, common::MsgIcon,
                           common::MsgButtons) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(QString(text).replace('\r', ' ')));
        ++count;
        return common::MsgAnswer::Ok;
    }
    int count = 0;
};

// Nothing is started at the end: the result is only measured and checked.
class NoStarts : public common::ProcessLauncher {
public:
    QString Locate(const QString& name) override { return name; }
    bool StartDetached(const QString&, const QStringList&, const QString&) override { return true; }
    void EndProcess(int) override {}
};

class NoOfficeOpen : public sheet::ExcelProbe {
public:
    bool IsExcelInstalled() override { return true; }
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
};

class Host : public bookmrg::ProgramHost {
public:
    void EndProgram() override { std::fprintf(stderr, "the run ended early\n"); }
    void ReturnToCaller() override {}
};

css::beans::PropertyValue Prop(const char* name, const Any& value) {
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

double ThroughEngine(const QStringList& books, const QString& output) {
    bookmrg::RunParams params;
    params.books = books;
    params.outputBook = output;
    params.matchMode = QStringLiteral("2");
    Host host;
    QElapsedTimer timer;
    timer.start();
    bookmrg::ConsolidateBooks(params, host);
    return timer.elapsed() / 1000.0;
}

void SetText(const Reference<css::sheet::XSpreadsheet>& sheet, int column, int row,
             const QString& text) {
    Reference<css::text::XText>(sheet->getCellByPosition(column, row), UNO_QUERY_THROW)
        ->setString(ToOU(text));
}

// The same work with nothing around it: book 1 copied and opened, every sheet
// of books 2..n imported behind it, the sheet list imported in front and
// filled (link, book, sheet name per row), saved as .xls.
double BareLoop(const QStringList& books, const QString& templatePath, const QString& output) {
    QElapsedTimer timer;
    timer.start();
    auto office = sheet::lo::OfficeInstance::Start();
    Reference<css::frame::XComponentLoader> loader(office->Desktop(), UNO_QUERY_THROW);
    const auto hidden = SeqOf<css::beans::PropertyValue>({Prop("Hidden", Any(true))});
    const auto hiddenRo =
        SeqOf<css::beans::PropertyValue>({Prop("Hidden", Any(true)), Prop("ReadOnly", Any(true))});
    auto load = [&](const QString& path, const css::uno::Sequence<css::beans::PropertyValue>& p) {
        return Reference<css::sheet::XSpreadsheetDocument>(
            loader->loadComponentFromURL(ToOU(sheet::lo::FileUrl(path)), OUString("_blank"), 0, p),
            UNO_QUERY_THROW);
    };
    const QString work = output + QStringLiteral(".work.xls");
    QFile::remove(work);
    QFile::copy(books.first(), work);
    auto templ = load(templatePath, hidden);
    auto result = load(work, hidden);
    Reference<css::sheet::XSpreadsheets2> target(result->getSheets(), UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> targetIndex(target, UNO_QUERY_THROW);
    struct Row {
        QString name, book, source;
    };
    QList<Row> rows;
    for (sal_Int32 i = 0; i < targetIndex->getCount(); ++i) {
        Reference<css::container::XNamed> named(targetIndex->getByIndex(i), UNO_QUERY_THROW);
        rows.append(
            {sheet::lo::ToQ(named->getName()), books.first(), sheet::lo::ToQ(named->getName())});
    }
    for (int b = 1; b < books.size(); ++b) {
        auto src = load(books[b], hiddenRo);
        Reference<css::container::XIndexAccess> sheets(src->getSheets(), UNO_QUERY_THROW);
        const sal_Int32 count = sheets->getCount();
        for (sal_Int32 i = 0; i < count; ++i) {
            Reference<css::container::XNamed> named(sheets->getByIndex(i), UNO_QUERY_THROW);
            const sal_Int32 at =
                target->importSheet(src, named->getName(), targetIndex->getCount());
            Reference<css::container::XNamed> copied(targetIndex->getByIndex(at), UNO_QUERY_THROW);
            rows.append(
                {sheet::lo::ToQ(copied->getName()), books[b], sheet::lo::ToQ(named->getName())});
        }
        Reference<css::util::XCloseable>(src, UNO_QUERY_THROW)->close(true);
    }
    target->importSheet(templ, ToOU(bookmrg::kIndexSheetName), 0);
    Reference<css::sheet::XSpreadsheet> index(targetIndex->getByIndex(0), UNO_QUERY_THROW);
    Reference<css::lang::XMultiServiceFactory> factory(result, UNO_QUERY_THROW);
    for (int i = 0; i < rows.size(); ++i) {
        const int r = i + 2;
        Reference<css::text::XText> a(index->getCellByPosition(0, r), UNO_QUERY_THROW);
        a->setString(OUString());
        Reference<css::beans::XPropertySet> field(
            factory->createInstance(OUString("com.sun.star.text.TextField.URL")), UNO_QUERY_THROW);
        field->setPropertyValue(OUString("URL"),
                                Any(ToOU(QStringLiteral("#'%1'.B1").arg(rows[i].name))));
        field->setPropertyValue(OUString("Representation"), Any(ToOU(rows[i].name)));
        a->insertTextContent(
            Reference<css::text::XTextRange>(a->createTextCursor(), UNO_QUERY_THROW),
            Reference<css::text::XTextContent>(field, UNO_QUERY_THROW), false);
        SetText(index, 1, r, rows[i].book);
        SetText(index, 2, r, rows[i].source);
    }
    Reference<css::frame::XStorable>(result, UNO_QUERY_THROW)
        ->storeToURL(
            ToOU(sheet::lo::FileUrl(output)),
            SeqOf<css::beans::PropertyValue>(
                {Prop("FilterName", Any(OUString("MS Excel 97"))), Prop("Overwrite", Any(true))}));
    Reference<css::util::XCloseable>(result, UNO_QUERY_THROW)->close(true);
    Reference<css::util::XCloseable>(templ, UNO_QUERY_THROW)->close(true);
    office->Terminate();
    QFile::remove(work);
    return timer.elapsed() / 1000.0;
}

double Number(const sheet::CellValue& v) {
    return std::holds_alternative<double>(v) ? std::get<double>(v) : NAN;
}

// The engine's output: every sheet in place behind the sheet list, the
// values and the recalculated totals as in the books.
int CheckOutput(const QString& output, const QStringList& books) {
    int faults = 0;
    auto fault = [&](const QString& what) {
        if (++faults <= 10)
            std::fprintf(stderr, "check: %s\n", qPrintable(what));
    };
    auto app = sheet::CreateApplication();
    auto out = app->Workbooks().Open(output, {true, {}});
    const int expected = 1 + int(books.size()) * bench::kSheetsPerBook;
    if (out->SheetCount() != expected)
        fault(QStringLiteral("%1 sheets instead of %2").arg(out->SheetCount()).arg(expected));
    auto index = out->Worksheets(1);
    if (index->Name() != bookmrg::kIndexSheetName)
        fault(QStringLiteral("first sheet is %1").arg(index->Name()));
    for (int b = 1; b <= books.size(); ++b) {
        for (int s = 1; s <= bench::kSheetsPerBook; ++s) {
            const int position = 1 + (b - 1) * bench::kSheetsPerBook + s;
            if (position > out->SheetCount())
                continue;
            auto sheet = out->Worksheets(position);
            const int row = 2 + (b * 37 + s) % bench::kItemRows;
            const int column = 2 + (b + s) % 8;
            const double value = Number(sheet->Cells(row, column)->Value());
            if (value != bench::SampleValue(b, s, row, column))
                fault(QStringLiteral("%1 R%2C%3 = %4")
                          .arg(sheet->Name())
                          .arg(row)
                          .arg(column)
                          .arg(value));
            const double total = Number(sheet->Cells(bench::kTotalRow, column)->Value());
            if (total != bench::SampleTotal(b, s, column))
                fault(
                    QStringLiteral("%1 total C%2 = %3").arg(sheet->Name()).arg(column).arg(total));
            const int indexRow = position + 1;
            const auto shown = index->Cells(indexRow, 1)->Value();
            const auto book = index->Cells(indexRow, 2)->Value();
            if (!std::holds_alternative<QString>(shown) ||
                std::get<QString>(shown) != sheet->Name() ||
                !std::holds_alternative<QString>(book) || std::get<QString>(book) != books[b - 1])
                fault(QStringLiteral("sheet list row %1").arg(indexRow));
        }
    }
    app->Quit();
    return faults;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString templatePath = QStringLiteral(SUITE_BIN_DIR "/BOOKMRGX.EXL");
    if (!QFile::exists(templatePath)) {
        std::fprintf(stderr, "template missing: %s\n", qPrintable(templatePath));
        return 1;
    }
    bookmrg::SetTemplatePath(templatePath);
    PrintedMessages messages;
    common::SetMessageSink(&messages);
    NoStarts starts;
    common::SetProcessLauncher(&starts);
    NoOfficeOpen probe;
    sheet::SetExcelProbe(&probe);

    QElapsedTimer timer;
    timer.start();
    const QStringList books = bench::MakeSampleBooks(dir.path(), kBooks);
    if (books.isEmpty())
        return 1;
    const double making = timer.elapsed() / 1000.0;

    try {
        const QString engineOut = dir.filePath(QStringLiteral("engine.xls"));
        const QString bareOut = dir.filePath(QStringLiteral("bare.xls"));
        // Both paths warmed on one book first: the office's first start on a
        // new profile restarts itself, which is no part of the figures.
        try {
            BareLoop(books.mid(0, 1), templatePath, dir.filePath(QStringLiteral("warm1.xls")));
        } catch (...) {
            std::fprintf(stderr, "warm-up of the bare loop failed\n");
        }
        ThroughEngine(books.mid(0, 1), dir.filePath(QStringLiteral("warm2.xls")));
        messages.count = 0;
        // Run alternately, best of two each, so that other load on the
        // machine weighs on both alike.
        double bare = 1e9;
        double engine = 1e9;
        for (int run = 0; run < 2; ++run) {
            bare = std::min(bare, BareLoop(books, templatePath, bareOut));
            engine = std::min(engine, ThroughEngine(books, engineOut));
        }
        const int faults = CheckOutput(engineOut, books);

        std::printf("consolidate %d books x %d sheets (%d rows x %d columns, number formats, "
                    "SUM row) into one .xls\n",
                    kBooks, bench::kSheetsPerBook, bench::kItemRows, bench::kColumns);
        std::printf("  books made and converted:    %.1f s\n", making);
        std::printf("  engine end to end (best of 2):  %.2f s\n", engine);
        std::printf("  bare UNO loop, same work (best of 2): %.2f s\n", bare);
        std::printf("  ratio engine / bare:         %.2f\n", engine / bare);
        std::printf("  output size:                 %.1f MB\n",
                    QFileInfo(engineOut).size() / 1048576.0);
        std::printf("  output check:                %s (%d faults, %d messages)\n",
                    faults == 0 && messages.count == 0 ? "OK" : "FAILED", faults, messages.count);
        return faults == 0 ? 0 : 2;
    } catch (const sheet::SheetError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
    } catch (const css::uno::Exception& e) {
        std::fprintf(stderr, "UNO error: %s\n", qPrintable(sheet::lo::ToQ(e.Message)));
    }
    return 1;
}
