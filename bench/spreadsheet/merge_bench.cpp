// Opens 10 books of 10 sheets, copies every sheet into a new workbook and
// saves it: once through the spreadsheet interface, once as a bare loop of the
// same UNO calls. Prints both times and their ratio; never fails on time.

#include "spreadsheet/lo/install.h"
#include "spreadsheet/lo/office.h"
#include "spreadsheet/spreadsheet.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;
using sheet::lo::SeqOf;
using sheet::lo::ToOU;

constexpr int kBooks = 10;
constexpr int kSheets = 10;
constexpr int kRows = 20;
constexpr int kColumns = 10;

QStringList MakeBooks(sheet::Application& app, const QString& dir) {
    QStringList paths;
    for (int b = 1; b <= kBooks; ++b) {
        auto book = app.Workbooks().Add();
        book->Worksheets(1)->SetName(QStringLiteral("Data"));
        auto first = book->Worksheets(1);
        for (int r = 1; r <= kRows; ++r)
            for (int c = 1; c <= kColumns; ++c)
                first->Cells(r, c)->SetValue(r * 100.0 + c);
        first->Cells(1, 1)->SetValue(QStringLiteral("見出し"));
        for (int s = 2; s <= kSheets; ++s)
            first->Copy(sheet::Where::After, *book->Worksheets(s - 1))
                ->SetName(QStringLiteral("月%1").arg(s));
        const QString path = dir + QStringLiteral("/book%1.xls").arg(b);
        book->SaveAs(path);
        book->Close();
        paths << path;
    }
    return paths;
}

double ThroughInterface(sheet::Application& app, const QStringList& books, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    auto result = app.Workbooks().Add();
    QString last = result->Worksheets(1)->Name();
    for (const QString& path : books) {
        auto src = app.Workbooks().Open(path, {true, {}});
        const int count = src->SheetCount();
        QStringList names;
        for (int i = 1; i <= count; ++i)
            names << src->Worksheets(i)->Name();
        for (const QString& name : names) {
            src->Worksheets(name)->Copy(sheet::Where::After, *result->Worksheets(last));
            last = app.ActiveSheet()->Name();
        }
        src->Close();
    }
    result->SaveAs(out);
    result->Close();
    return timer.elapsed() / 1000.0;
}

css::beans::PropertyValue Prop(const char* name, const Any& value) {
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

double BareLoop(sheet::lo::OfficeInstance& office, const QStringList& books, const QString& out) {
    QElapsedTimer timer;
    timer.start();
    Reference<css::frame::XComponentLoader> loader(office.Desktop(), UNO_QUERY_THROW);
    const auto hidden = SeqOf<css::beans::PropertyValue>({Prop("Hidden", Any(true))});
    const auto hiddenRo =
        SeqOf<css::beans::PropertyValue>({Prop("Hidden", Any(true)), Prop("ReadOnly", Any(true))});
    Reference<css::sheet::XSpreadsheetDocument> result(
        loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0,
                                     hidden),
        UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheets2> target(result->getSheets(), UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> targetIndex(target, UNO_QUERY_THROW);
    for (const QString& path : books) {
        Reference<css::sheet::XSpreadsheetDocument> src(
            loader->loadComponentFromURL(ToOU(sheet::lo::FileUrl(path)), OUString("_blank"), 0,
                                         hiddenRo),
            UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(src->getSheets(), UNO_QUERY_THROW);
        const sal_Int32 count = sheets->getCount();
        for (sal_Int32 i = 0; i < count; ++i) {
            Reference<css::container::XNamed> named(sheets->getByIndex(i), UNO_QUERY_THROW);
            const sal_Int32 at =
                target->importSheet(src, named->getName(), targetIndex->getCount());
            Reference<css::container::XNamed> copied(targetIndex->getByIndex(at), UNO_QUERY_THROW);
            (void)copied->getName();
        }
        Reference<css::util::XCloseable>(src, UNO_QUERY_THROW)->close(true);
    }
    Reference<css::frame::XStorable>(result, UNO_QUERY_THROW)
        ->storeToURL(
            ToOU(sheet::lo::FileUrl(out)),
            SeqOf<css::beans::PropertyValue>(
                {Prop("FilterName", Any(OUString("MS Excel 97"))), Prop("Overwrite", Any(true))}));
    Reference<css::util::XCloseable>(result, UNO_QUERY_THROW)->close(true);
    return timer.elapsed() / 1000.0;
}

// Start of a private instance until it answers, median of five; the first
// start on a new profile sets the profile up and is left out.
double OfficeStartSeconds() {
    sheet::lo::OfficeInstance::Start()->Terminate();
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        auto office = sheet::lo::OfficeInstance::Start();
        times.push_back(timer.elapsed() / 1000.0);
        office->Terminate();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    sheet::lo::InstallBackend();
    QTemporaryDir dir;
    try {
        const double start = OfficeStartSeconds();
        auto app = sheet::CreateApplication();
        const QStringList books = MakeBooks(*app, dir.path());
        auto office = sheet::lo::OfficeInstance::Start();
        // Both paths warmed once, then run alternately; the best of three
        // runs each keeps other load on the machine out of the figures.
        ThroughInterface(*app, books.mid(0, 1), dir.filePath(QStringLiteral("warm.xls")));
        BareLoop(*office, books.mid(0, 1), dir.filePath(QStringLiteral("warm2.xls")));
        double viaInterface = 1e9;
        double bare = 1e9;
        for (int run = 0; run < 3; ++run) {
            viaInterface = std::min(
                viaInterface,
                ThroughInterface(*app, books, dir.filePath(QStringLiteral("interface.xls"))));
            bare =
                std::min(bare, BareLoop(*office, books, dir.filePath(QStringLiteral("bare.xls"))));
        }
        app->Quit();
        office->Terminate();

        std::printf("private office start until it answers: %.2f s (median of 5)\n", start);
        std::printf("merge %d books x %d sheets (%dx%d cells) into one .xls\n", kBooks, kSheets,
                    kRows, kColumns);
        std::printf("  through the interface: %.2f s\n", viaInterface);
        std::printf("  bare UNO loop:         %.2f s\n", bare);
        std::printf("  ratio:                 %.2f (target <= 1.2)\n", viaInterface / bare);
    } catch (const sheet::SheetError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    } catch (const css::uno::Exception& e) {
        std::fprintf(stderr, "UNO error: %s\n", qPrintable(sheet::lo::ToQ(e.Message)));
        return 1;
    }
    return 0;
}
