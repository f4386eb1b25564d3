// The consolidation of realistic books (10 books x 10 sheets, 64 x 5), end
// to end through the engine, against a bare loop of the same UNO calls in the
// same office version and against a peer converter when one is installed.
// Prints times, the office's peak memory and the ratios, and checks every
// value of every output after a full recalculation; never fails on time.

#include "bookmrg/engine.h"
#include "bookmrg/formula_refs.h"
#include "common/messages.h"
#include "common/program_start.h"
#include "common/seam.h"
#include "office_inspect.h"
#include "peak_memory.h"
#include "sample_books.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/lo/install.h"
#include "spreadsheet/lo/office.h"
#include "spreadsheet/spreadsheet.h"

#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCalculatable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets2.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XTableChart.hpp>
#include <com/sun/star/table/XTableChartsSupplier.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;
using sheet::lo::SeqOf;
using sheet::lo::ToOU;
using sheet::lo::ToQ;

// Runs of each path per size ("--runs=N"); "--engine-only" leaves out the
// bare loop and the peer, for quick looks at the engine alone.
int g_runs = 3;
bool g_engineOnly = false;
// A sheet name the engine leaves out of every book (--exclude=NAME): the cost
// of an exclusion list, measured with --engine-only (the outputs' checks
// expect every sheet).
QString g_exclude;
// "--plain": the books without the name and the chart, as the bench made
// them before those were added (figures comparable with older runs).
bool g_plain = false;

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

struct Figures {
    double seconds = -1;
    double peakMb = -1;
};

css::beans::PropertyValue Prop(const char* name, const Any& value) {
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

// Each book's summary sheet also reads its first branch's total through a
// workbook-level name, and shows that branch's first rows in a chart: the
// names and charts of books 2..n must keep meaning their own book's sheets.
const QString kBaseName = QStringLiteral("Base");
int BaseRow(int sheetsPerBook) {
    return sheetsPerBook + 3;
}

void AddNamesAndCharts(const QStringList& books, int sheetsPerBook) {
    auto app = sheet::CreateApplication();
    const QString branch = bench::SheetNames(sheetsPerBook).first();
    for (const QString& path : books) {
        auto book = app->Workbooks().Open(path);
        sheet::lo::DefineName(*book, kBaseName,
                              QStringLiteral("$'%1'.$B$%2").arg(branch).arg(bench::kTotalRow));
        auto summary = book->Worksheets(bench::kSummarySheet);
        summary->Cells(BaseRow(sheetsPerBook), 2)->SetFormula(QStringLiteral("=") + kBaseName);
        sheet::lo::AddChart(*summary, QStringLiteral("売上"),
                            {QStringLiteral("$'%1'.$A$1:$C$6").arg(branch)});
        book->SaveAs(path);
        book->Close();
    }
    app->Quit();
}

Figures ThroughEngine(const QStringList& books, const QString& output) {
    bookmrg::RunParams params;
    params.books = books;
    params.outputBook = output;
    params.matchMode = bookmrg::MatchMode::PartOfName;
    params.exclude1 = g_exclude;
    params.templatePath = QStringLiteral(SUITE_BIN_DIR "/BOOKMRGX.EXL");
    bench::OfficePeakMemory memory;
    QElapsedTimer timer;
    timer.start();
    const tools::RunOutcome outcome = bookmrg::ConsolidateBooks(params);
    const Figures figures{timer.elapsed() / 1000.0, memory.PeakMb()};
    if (outcome.result.file.isEmpty())
        std::fprintf(stderr, "the run ended without a result\n");
    return figures;
}

// What the engine does for each book's copies, as bare calls: the book's
// names that differ from the output's become names of each copy (and the
// formulas that use them are entered again), the formulas that name sheets
// of the book are pointed at the copies (a block of formula cells with any
// such formula is set again in one call), and the charts of the copies plot
// the copies.
void RepointBare(const Reference<css::sheet::XSpreadsheetDocument>& src,
                 const Reference<css::sheet::XSpreadsheetDocument>& result,
                 const QList<std::pair<QString, Reference<css::sheet::XSpreadsheet>>>& copies,
                 const bookmrg::SheetRenames& renames) {
    Reference<css::container::XNameAccess> sheets(src->getSheets(), UNO_QUERY_THROW);
    const OUString namedRanges("NamedRanges");
    Reference<css::container::XNameAccess> srcNames(
        Reference<css::beans::XPropertySet>(src, UNO_QUERY_THROW)->getPropertyValue(namedRanges),
        UNO_QUERY_THROW);
    QSet<QString> ownNames;
    QList<std::pair<OUString, OUString>> own;
    const Sequence<OUString> nameList = srcNames->getElementNames();
    if (nameList.hasElements()) {
        Reference<css::container::XNameAccess> outNames(
            Reference<css::beans::XPropertySet>(result, UNO_QUERY_THROW)
                ->getPropertyValue(namedRanges),
            UNO_QUERY_THROW);
        for (const OUString& n : nameList) {
            const QString content =
                ToQ(Reference<css::sheet::XNamedRange>(srcNames->getByName(n), UNO_QUERY_THROW)
                        ->getContent());
            const QString mine = bookmrg::RepointSheetRefs(content, renames).value_or(content);
            if (outNames->hasByName(n) &&
                ToQ(Reference<css::sheet::XNamedRange>(outNames->getByName(n), UNO_QUERY_THROW)
                        ->getContent()) == mine)
                continue;
            own.append({n, ToOU(mine)});
            ownNames.insert(ToQ(n).toUpper());
        }
        for (const auto& [name, copy] : copies) {
            Reference<css::sheet::XNamedRanges> local(
                Reference<css::beans::XPropertySet>(copy, UNO_QUERY_THROW)
                    ->getPropertyValue(namedRanges),
                UNO_QUERY_THROW);
            const Sequence<OUString> existing = local->getElementNames();
            for (const auto& [n, content] : own)
                if (std::find(existing.begin(), existing.end(), n) == existing.end())
                    local->addNewByName(n, content, css::table::CellAddress(), 0);
        }
    }
    bookmrg::BookRefs refs;
    refs.renames = renames;
    refs.ownNames = ownNames;
    for (const auto& [name, copy] : copies) {
        Reference<css::sheet::XCellRangesQuery> query(sheets->getByName(ToOU(name)),
                                                      UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheet> source(query, UNO_QUERY_THROW);
        const auto blocks =
            query->queryContentCells(css::sheet::CellFlags::FORMULA)->getRangeAddresses();
        for (const auto& a : blocks) {
            Reference<css::sheet::XCellRangeFormula> block(
                source->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
                UNO_QUERY_THROW);
            auto rows = block->getFormulaArray();
            bool changed = false;
            for (sal_Int32 r = 0; r < rows.getLength(); ++r) {
                OUString* row = rows.getArray()[r].getArray();
                for (sal_Int32 c = 0; c < rows[r].getLength(); ++c)
                    if (auto repointed = bookmrg::RewriteForCopy(ToQ(row[c]), refs)) {
                        row[c] = ToOU(*repointed);
                        changed = true;
                    }
            }
            if (changed)
                Reference<css::sheet::XCellRangeFormula>(
                    copy->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
                    UNO_QUERY_THROW)
                    ->setFormulaArray(rows);
        }
        // Charts: the copy's ranges on the output's sheet of the source
        // sheet's name go to that sheet's copy.
        Reference<css::container::XNameAccess> srcCharts(
            Reference<css::table::XTableChartsSupplier>(source, UNO_QUERY_THROW)->getCharts(),
            UNO_QUERY_THROW);
        if (!srcCharts->hasElements())
            continue;
        Reference<css::container::XNameAccess> charts(
            Reference<css::table::XTableChartsSupplier>(copy, UNO_QUERY_THROW)->getCharts(),
            UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> outSheets(result->getSheets(), UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> outByName(result->getSheets(), UNO_QUERY_THROW);
        for (const OUString& chartName : charts->getElementNames()) {
            Reference<css::table::XTableChart> chart(charts->getByName(chartName), UNO_QUERY_THROW);
            auto ranges = chart->getRanges();
            bool changed = false;
            for (sal_Int32 k = 0; k < ranges.getLength(); ++k) {
                css::table::CellRangeAddress& range = ranges.getArray()[k];
                const QString on = ToQ(Reference<css::container::XNamed>(
                                           outSheets->getByIndex(range.Sheet), UNO_QUERY_THROW)
                                           ->getName());
                const auto renamed = renames.constFind(on);
                if (renamed == renames.constEnd() || renamed.value() == on)
                    continue;
                for (sal_Int32 i = 0; i < outSheets->getCount(); ++i)
                    if (Reference<css::container::XNamed>(outSheets->getByIndex(i), UNO_QUERY_THROW)
                            ->getName() == ToOU(renamed.value()))
                        range.Sheet = sal_Int16(i);
                changed = true;
            }
            if (changed)
                chart->setRanges(ranges);
        }
    }
}

// What the engine's copy does besides the import, as bare calls: the
// destination's drawing layer made once, the source's links looked at once a
// book, and for each copy its visibility and its page style (the source's
// settings compared with the output's style of that name once a book).
void CopyExtrasBare(const Reference<css::sheet::XSpreadsheetDocument>& src,
                    const Reference<css::sheet::XSpreadsheetDocument>& result,
                    const Reference<css::sheet::XSpreadsheet>& from,
                    const Reference<css::sheet::XSpreadsheet>& copy, QSet<QString>& stylesSeen) {
    Reference<css::beans::XPropertySet> source(from, UNO_QUERY_THROW);
    Reference<css::beans::XPropertySet> target(copy, UNO_QUERY_THROW);
    bool visible = true;
    source->getPropertyValue(OUString("IsVisible")) >>= visible;
    if (!visible)
        target->setPropertyValue(OUString("IsVisible"), Any(false));
    OUString style;
    source->getPropertyValue(OUString("PageStyle")) >>= style;
    if (!stylesSeen.contains(ToQ(style))) {
        stylesSeen.insert(ToQ(style));
        auto styleOf = [&](const Reference<css::sheet::XSpreadsheetDocument>& doc) {
            Reference<css::container::XNameAccess> styles(
                Reference<css::style::XStyleFamiliesSupplier>(doc, UNO_QUERY_THROW)
                    ->getStyleFamilies()
                    ->getByName(OUString("PageStyles")),
                UNO_QUERY_THROW);
            return Reference<css::beans::XMultiPropertySet>(
                styles->hasByName(style) ? styles->getByName(style) : Any(), UNO_QUERY);
        };
        auto original = styleOf(src);
        auto there = styleOf(result);
        if (original.is() && there.is()) {
            std::vector<OUString> names;
            for (const css::beans::Property& p : original->getPropertySetInfo()->getProperties())
                if (!(p.Attributes & css::beans::PropertyAttribute::READONLY) &&
                    p.Type.getTypeClass() != css::uno::TypeClass_INTERFACE)
                    names.push_back(p.Name);
            const Sequence<OUString> keys(names.data(), sal_Int32(names.size()));
            if (original->getPropertyValues(keys) != there->getPropertyValues(keys))
                std::fprintf(stderr, "bare loop: page style %s differs\n", qPrintable(ToQ(style)));
        }
    }
    OUString current;
    target->getPropertyValue(OUString("PageStyle")) >>= current;
    if (current != style)
        target->setPropertyValue(OUString("PageStyle"), Any(style));
}

// The same work with nothing around it: book 1 copied and opened, every sheet
// of books 2..n imported behind it and its formulas pointed at the copies,
// the sheet list imported in front and filled (a link a row, the font size
// and the two text columns as whole ranges), saved as .xls. Documents are
// held as models without a view, as the engine holds them.
Figures BareLoop(const QStringList& books, const QString& templatePath, const QString& output) {
    bench::OfficePeakMemory memory;
    QElapsedTimer timer;
    timer.start();
    auto office = sheet::lo::OfficeInstance::Start();
    const Reference<css::uno::XComponentContext> context = office->Context();
    auto load = [&](const QString& path, bool readOnly) {
        Reference<css::frame::XLoadable> model(
            context->getServiceManager()->createInstanceWithContext(
                OUString("com.sun.star.sheet.SpreadsheetDocument"), context),
            UNO_QUERY_THROW);
        model->load(SeqOf<css::beans::PropertyValue>(
            {Prop("URL", Any(ToOU(sheet::lo::FileUrl(path)))),
             Prop("FilterName", Any(OUString("MS Excel 97"))), Prop("ReadOnly", Any(readOnly))}));
        return Reference<css::sheet::XSpreadsheetDocument>(model, UNO_QUERY_THROW);
    };
    const QString work = output + QStringLiteral(".work.xls");
    QFile::remove(work);
    QFile::copy(books.first(), work);
    auto templ = load(templatePath, true);
    auto result = load(work, false);
    Reference<css::sheet::XSpreadsheets2> target(result->getSheets(), UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> targetIndex(target, UNO_QUERY_THROW);
    bool drawLayer = false;
    struct Row {
        QString name, book, source;
    };
    QList<Row> rows;
    for (sal_Int32 i = 0; i < targetIndex->getCount(); ++i) {
        Reference<css::container::XNamed> named(targetIndex->getByIndex(i), UNO_QUERY_THROW);
        rows.append({ToQ(named->getName()), books.first(), ToQ(named->getName())});
    }
    for (int b = 1; b < books.size(); ++b) {
        auto src = load(books[b], true);
        Reference<css::container::XIndexAccess> sheets(src->getSheets(), UNO_QUERY_THROW);
        const sal_Int32 count = sheets->getCount();
        QList<std::pair<QString, Reference<css::sheet::XSpreadsheet>>> copies;
        bookmrg::SheetRenames renames;
        QSet<QString> stylesSeen;
        // The drawing layer, once a book with drawings comes, so that its
        // charts come along.
        bool drawings = false;
        Reference<css::beans::XPropertySet>(src, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("HasDrawPages")) >>= drawings;
        if (drawings && !drawLayer) {
            Reference<css::container::XIndexAccess>(
                Reference<css::drawing::XDrawPagesSupplier>(result, UNO_QUERY_THROW)
                    ->getDrawPages(),
                UNO_QUERY_THROW)
                ->getByIndex(0);
            drawLayer = true;
        }
        Reference<css::container::XNameAccess>(
            Reference<css::beans::XPropertySet>(src, UNO_QUERY_THROW)
                ->getPropertyValue(OUString("ExternalDocLinks")),
            UNO_QUERY_THROW)
            ->getElementNames();
        for (sal_Int32 i = 0; i < count; ++i) {
            Reference<css::container::XNamed> named(sheets->getByIndex(i), UNO_QUERY_THROW);
            const sal_Int32 at =
                target->importSheet(src, named->getName(), targetIndex->getCount());
            Reference<css::container::XNamed> copied(targetIndex->getByIndex(at), UNO_QUERY_THROW);
            CopyExtrasBare(src, result, Reference<css::sheet::XSpreadsheet>(named, UNO_QUERY_THROW),
                           Reference<css::sheet::XSpreadsheet>(copied, UNO_QUERY_THROW),
                           stylesSeen);
            rows.append({ToQ(copied->getName()), books[b], ToQ(named->getName())});
            copies.append({ToQ(named->getName()),
                           Reference<css::sheet::XSpreadsheet>(copied, UNO_QUERY_THROW)});
            renames.insert(ToQ(named->getName()), ToQ(copied->getName()));
        }
        RepointBare(src, result, copies, renames);
        Reference<css::util::XCloseable>(src, UNO_QUERY_THROW)->close(true);
    }
    target->importSheet(templ, ToOU(bookmrg::kIndexSheetName), 0);
    Reference<css::sheet::XSpreadsheet> index(targetIndex->getByIndex(0), UNO_QUERY_THROW);
    Reference<css::lang::XMultiServiceFactory> factory(result, UNO_QUERY_THROW);
    for (int i = 0; i < rows.size(); ++i) {
        Reference<css::text::XText> a(index->getCellByPosition(0, i + 2), UNO_QUERY_THROW);
        a->setString(OUString());
        Reference<css::beans::XPropertySet> field(
            factory->createInstance(OUString("com.sun.star.text.TextField.URL")), UNO_QUERY_THROW);
        field->setPropertyValue(OUString("URL"),
                                Any(ToOU(QStringLiteral("#'%1'.B1").arg(rows[i].name))));
        field->setPropertyValue(OUString("Representation"), Any(ToOU(rows[i].name)));
        const Reference<css::text::XTextCursor> cursor = a->createTextCursor();
        a->insertTextContent(Reference<css::text::XTextRange>(cursor.get()),
                             Reference<css::text::XTextContent>(field, UNO_QUERY_THROW), false);
    }
    if (!rows.isEmpty()) {
        const sal_Int32 last = sal_Int32(rows.size()) + 1;
        const Any size(11.0f);
        Reference<css::beans::XMultiPropertySet>(index->getCellRangeByPosition(0, 2, 0, last),
                                                 UNO_QUERY_THROW)
            ->setPropertyValues(
                SeqOf<OUString>({OUString("CharHeight"), OUString("CharHeightAsian"),
                                 OUString("CharHeightComplex")}),
                SeqOf<Any>({size, size, size}));
        Sequence<Sequence<Any>> texts(rows.size());
        for (int i = 0; i < rows.size(); ++i)
            texts.getArray()[i] = SeqOf<Any>({Any(ToOU(rows[i].book)), Any(ToOU(rows[i].source))});
        Reference<css::sheet::XCellRangeData>(index->getCellRangeByPosition(1, 2, 2, last),
                                              UNO_QUERY_THROW)
            ->setDataArray(texts);
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
    return {timer.elapsed() / 1000.0, memory.PeakMb()};
}

// The peer: one process that merges the same files into one .xls.
Figures ThroughPeer(const QString& converter, const QStringList& books, const QString& output) {
    QStringList args = {QStringLiteral("--merge-to=") + output};
    args += books;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::vector<QByteArray> bytes = {converter.toLocal8Bit()};
        for (const QString& a : args)
            bytes.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& b : bytes)
            argv.push_back(b.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int code = -1;
    const double peak = bench::WaitForChild(pid, &code);
    if (code != 0)
        std::fprintf(stderr, "%s ended with %d\n", qPrintable(converter), code);
    return {timer.elapsed() / 1000.0, peak};
}

bool Near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

// One kind of content compared with the sources: how many were right of how
// many there were.
struct Tally {
    int right = 0;
    int total = 0;
    void Count(bool ok) {
        ++total;
        right += ok ? 1 : 0;
    }
    QString Text() const { return QStringLiteral("%1/%2").arg(right).arg(total); }
};

struct Check {
    Tally sheets, numbers, formulas, names, charts; // the fidelity line
    int values = 0;                                 // numbers compared
    int faults = 0;        // numbers that differ, missing sheets, list rows
    int outsideRefs = 0;   // formulas that refer to another file or to #REF!
    int externalLinks = 0; // links to other files kept in the workbook
};

// The formula cells of a sheet; those that refer to another file or to
// #REF! are counted into `outside`.
int FormulaCells(const Reference<css::sheet::XSpreadsheet>& sheet, int* outside) {
    Reference<css::sheet::XCellRangesQuery> query(sheet, UNO_QUERY_THROW);
    int count = 0;
    for (const auto& a :
         query->queryContentCells(css::sheet::CellFlags::FORMULA)->getRangeAddresses()) {
        count += (a.EndRow - a.StartRow + 1) * (a.EndColumn - a.StartColumn + 1);
        if (!outside)
            continue;
        for (const auto& row :
             Reference<css::sheet::XCellRangeFormula>(
                 sheet->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
                 UNO_QUERY_THROW)
                 ->getFormulaArray())
            for (const OUString& f : row)
                if (f.indexOf("file:") >= 0 || f.indexOf("#REF") >= 0)
                    ++*outside;
    }
    return count;
}

// Every number of every copied sheet of the reopened output, as saved and
// after a full recalculation, against the numbers the books were made from; the sheet
// list (when `indexSheet`) against the books; the summary formulas refer
// inside the output.
Check CheckOutput(const QString& output, const QStringList& books, int sheetsPerBook,
                  bool indexSheet) {
    Check check;
    auto fault = [&](const QString& what) {
        if (++check.faults <= 5)
            std::fprintf(stderr, "  check: %s\n", qPrintable(what));
    };
    auto office = sheet::lo::OfficeInstance::Start();
    Reference<css::frame::XComponentLoader> loader(office->Desktop(), UNO_QUERY_THROW);
    Reference<css::sheet::XSpreadsheetDocument> doc(
        loader->loadComponentFromURL(ToOU(sheet::lo::FileUrl(output)), OUString("_blank"), 0,
                                     SeqOf<css::beans::PropertyValue>({Prop("Hidden", Any(true))})),
        UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
    Reference<css::container::XIndexAccess> links(
        Reference<css::beans::XPropertySet>(doc, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("ExternalDocLinks")),
        UNO_QUERY);
    check.externalLinks = links.is() ? links->getCount() : 0;
    const int first = indexSheet ? 1 : 0;
    const int expected = first + int(books.size()) * sheetsPerBook;
    if (sheets->getCount() != expected)
        fault(QStringLiteral("%1 sheets instead of %2").arg(sheets->getCount()).arg(expected));
    auto sheetAt = [&](int i) {
        return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(i), UNO_QUERY_THROW);
    };
    auto data = [&](const Reference<css::sheet::XSpreadsheet>& s, int rows, int columns) {
        return Reference<css::sheet::XCellRangeData>(
                   s->getCellRangeByPosition(0, 0, columns - 1, rows - 1), UNO_QUERY_THROW)
            ->getDataArray();
    };
    auto number = [&](const Any& cell, double want, const QString& where) {
        double got = NAN;
        cell >>= got;
        ++check.values;
        check.numbers.Count(Near(got, want));
        if (!Near(got, want))
            fault(QStringLiteral("%1 = %2, not %3").arg(where).arg(got).arg(want));
    };
    // The formulas of each sheet of book 1, as the books are made alike.
    QList<int> formulaCounts;
    {
        Reference<css::sheet::XSpreadsheetDocument> source(
            loader->loadComponentFromURL(
                ToOU(sheet::lo::FileUrl(books.first())), OUString("_blank"), 0,
                SeqOf<css::beans::PropertyValue>(
                    {Prop("Hidden", Any(true)), Prop("ReadOnly", Any(true))})),
            UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> list(source->getSheets(), UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < list->getCount(); ++i)
            formulaCounts << FormulaCells(
                Reference<css::sheet::XSpreadsheet>(list->getByIndex(i), UNO_QUERY_THROW), nullptr);
        Reference<css::util::XCloseable>(source, UNO_QUERY_THROW)->close(true);
    }
    check.sheets.total = expected;
    check.sheets.right = std::min<int>(expected, sheets->getCount());
    Sequence<Sequence<Any>> list;
    if (indexSheet)
        list = data(sheetAt(0), expected + 1, 3);
    // The values as saved, then after a full recalculation.
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            Reference<css::sheet::XCalculatable>(doc, UNO_QUERY_THROW)->calculateAll();
        for (int b = 1; b <= books.size(); ++b) {
            for (int s = 1; s <= sheetsPerBook; ++s) {
                const int position = first + (b - 1) * sheetsPerBook + s - 1;
                if (position >= sheets->getCount())
                    continue;
                const auto sheet = sheetAt(position);
                const QString name =
                    ToQ(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName());
                const QString where = QStringLiteral("book %1 %2").arg(b).arg(name);
                if (pass == 0) {
                    // Formulas: as many as in the book, none outside the workbook.
                    int outside = 0;
                    const int count = FormulaCells(sheet, &outside);
                    check.formulas.Count(count == formulaCounts.value(s - 1) && outside == 0);
                }
                if (s < sheetsPerBook) {
                    const auto cells = data(sheet, bench::kTotalRow, bench::kColumns);
                    for (int r = 2; r <= bench::kItemRows + 1; ++r) {
                        for (int c = 2; c <= bench::kColumns - 1; ++c)
                            number(cells[r - 1][c - 1], bench::SampleValue(b, s, r, c),
                                   where + QStringLiteral(" R%1C%2").arg(r).arg(c));
                        number(cells[r - 1][bench::kColumns - 1],
                               bench::SampleValue(b, s, r, 2) / bench::SampleTotal(b, s, 2),
                               where + QStringLiteral(" R%1 share").arg(r));
                    }
                    for (int c = 2; c <= bench::kColumns - 1; ++c)
                        number(cells[bench::kTotalRow - 1][c - 1], bench::SampleTotal(b, s, c),
                               where + QStringLiteral(" total C%1").arg(c));
                } else {
                    const auto cells = data(sheet, sheetsPerBook + 1, bench::kColumns - 1);
                    for (int c = 2; c <= bench::kColumns - 1; ++c) {
                        double sum = 0;
                        for (int branch = 1; branch < sheetsPerBook; ++branch) {
                            sum += bench::SampleTotal(b, branch, c);
                            number(cells[branch][c - 1], bench::SampleTotal(b, branch, c),
                                   where + QStringLiteral(" R%1C%2").arg(branch + 1).arg(c));
                        }
                        number(cells[sheetsPerBook][c - 1], sum,
                               where + QStringLiteral(" total C%1").arg(c));
                    }
                    const auto formulas =
                        Reference<css::sheet::XCellRangeFormula>(
                            sheet->getCellRangeByPosition(0, 0, bench::kColumns - 1, sheetsPerBook),
                            UNO_QUERY_THROW)
                            ->getFormulaArray();
                    for (const auto& row : formulas)
                        for (const OUString& f : row)
                            if (pass == 0 && (f.indexOf("file:") >= 0 || f.indexOf("#REF") >= 0))
                                ++check.outsideRefs;
                    // The book's name reads its own first branch; its chart
                    // plots that branch's copy.
                    const Any base =
                        data(sheet, BaseRow(sheetsPerBook), 2)[BaseRow(sheetsPerBook) - 1][1];
                    double got = NAN;
                    base >>= got;
                    if (!g_plain)
                        check.names.Count(Near(got, bench::SampleTotal(b, 1, 2)));
                    if (pass == 0 && !g_plain) {
                        Reference<css::container::XIndexAccess> charts(
                            Reference<css::table::XTableChartsSupplier>(sheet, UNO_QUERY_THROW)
                                ->getCharts(),
                            UNO_QUERY_THROW);
                        bool right = charts->getCount() == 1;
                        if (right) {
                            const auto ranges = Reference<css::table::XTableChart>(
                                                    charts->getByIndex(0), UNO_QUERY_THROW)
                                                    ->getRanges();
                            right = ranges.getLength() == 1 &&
                                    ranges[0].Sheet == first + (b - 1) * sheetsPerBook;
                        }
                        check.charts.Count(right);
                    }
                }
                if (pass == 0 && indexSheet && position + 1 < list.getLength()) {
                    OUString shown, book;
                    list[position + 1][0] >>= shown;
                    list[position + 1][1] >>= book;
                    if (ToQ(shown) != name || ToQ(book) != books[b - 1])
                        fault(QStringLiteral("sheet list row %1").arg(position + 2));
                }
            }
        }
    }
    Reference<css::util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
    office->Terminate();
    return check;
}

QString Fidelity(const Check& c) {
    return QStringLiteral("sheets %1, values %2, formulas %3, names %4, charts %5")
        .arg(c.sheets.Text(), c.numbers.Text(), c.formulas.Text(), c.names.Text(), c.charts.Text());
}

QString Describe(const Check& c) {
    return QStringLiteral("%1 (%2 values, %3 faults, %4 formulas outside the workbook, %5 "
                          "links to other files)")
        .arg(c.faults == 0 && c.outsideRefs == 0 ? QStringLiteral("OK") : QStringLiteral("WRONG"))
        .arg(c.values)
        .arg(c.faults)
        .arg(c.outsideRefs)
        .arg(c.externalLinks);
}

struct Series {
    QList<Figures> runs;
    void Add(const Figures& f) { runs.append(f); }
    double Best() const {
        double b = 1e9;
        for (const Figures& f : runs)
            b = std::min(b, f.seconds);
        return b;
    }
    double Median() const {
        QList<double> t;
        for (const Figures& f : runs)
            t.append(f.seconds);
        std::sort(t.begin(), t.end());
        return t.isEmpty() ? -1 : t[t.size() / 2];
    }
    double PeakMb() const {
        double m = 0;
        for (const Figures& f : runs)
            m = std::max(m, f.peakMb);
        return m;
    }
};

void Print(const char* what, const Series& s) {
    std::printf("  %-28s best %6.2f s  median %6.2f s  peak memory %6.0f MB\n", what, s.Best(),
                s.Median(), s.PeakMb());
}

QString LoadAverage() {
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(' ', 0, 2)
                                       : QString();
}

// A run that fails (the office ended during a call) is reported and left
// out of the figures.
void Guarded(const char* what, const std::function<void()>& run) {
    try {
        run();
    } catch (const css::uno::Exception& e) {
        std::printf("  %s failed: %s\n", what, qPrintable(ToQ(e.Message)));
    } catch (const sheet::SheetError& e) {
        std::printf("  %s failed: %s\n", what, e.what());
    }
}

bool Measure(const QString& folder, int bookCount, int sheetsPerBook, const QString& templatePath,
             const QString& peer, PrintedMessages& messages) {
    const QString dir = folder + QStringLiteral("/%1x%2").arg(bookCount).arg(sheetsPerBook);
    QElapsedTimer timer;
    timer.start();
    const QStringList books = bench::MakeSampleBooks(dir, bookCount, sheetsPerBook);
    if (books.isEmpty())
        return false;
    if (!g_plain)
        AddNamesAndCharts(books, sheetsPerBook);
    const double making = timer.elapsed() / 1000.0;
    const QString engineOut = dir + QStringLiteral("/engine.xls");
    const QString bareOut = dir + QStringLiteral("/bare.xls");
    const QString peerOut = dir + QStringLiteral("/peer.xls");

    // Both paths warmed on one book first: the office's first start on a new
    // profile restarts itself, which is no part of the figures.
    std::fprintf(stderr, "%d x %d: warming up\n", bookCount, sheetsPerBook);
    if (!g_engineOnly)
        Guarded("bare loop warm-up", [&] {
            BareLoop(books.mid(0, 2), templatePath, dir + QStringLiteral("/warm1.xls"));
        });
    ThroughEngine(books.mid(0, 2), dir + QStringLiteral("/warm2.xls"));
    messages.count = 0;
    // Alternately, so that other load on the machine weighs on all alike.
    Series engine, bare, other;
    for (int run = 0; run < g_runs; ++run) {
        std::fprintf(stderr, "%d x %d: run %d of %d\n", bookCount, sheetsPerBook, run + 1, g_runs);
        if (!g_engineOnly)
            Guarded("bare loop", [&] { bare.Add(BareLoop(books, templatePath, bareOut)); });
        engine.Add(ThroughEngine(books, engineOut));
        if (!peer.isEmpty() && !g_engineOnly)
            other.Add(ThroughPeer(peer, books, peerOut));
    }
    std::printf("\n%d books x %d sheets (%d rows x %d columns, number formats, fills, SUM row, "
                "summary sheet) into one .xls; load average %s\n",
                bookCount, sheetsPerBook, bench::kItemRows, bench::kColumns,
                qPrintable(LoadAverage()));
    std::printf("  books made and converted:    %.1f s\n", making);
    Print("engine end to end:", engine);
    if (!g_engineOnly) {
        Print("bare UNO loop, same work:", bare);
        if (!peer.isEmpty())
            Print("ssconvert --merge-to:", other);
        else
            std::printf("  ssconvert --merge-to:        not installed (package gnumeric)\n");
        std::printf("  ratio engine / bare:         %.2f time, %.2f memory\n",
                    engine.Best() / bare.Best(), engine.PeakMb() / bare.PeakMb());
    }
    if (!peer.isEmpty())
        std::printf("  ratio engine / ssconvert:    %.2f time, %.2f memory\n",
                    engine.Best() / other.Best(), engine.PeakMb() / other.PeakMb());
    std::printf("  output size:                 %.1f MB\n",
                QFileInfo(engineOut).size() / 1048576.0);
    std::fflush(stdout);
    std::fprintf(stderr, "%d x %d: checking the outputs\n", bookCount, sheetsPerBook);
    const Check e = CheckOutput(engineOut, books, sheetsPerBook, true);
    std::printf("  engine output check:         %s, %d messages\n", qPrintable(Describe(e)),
                messages.count);
    std::printf("  engine fidelity:             %s\n", qPrintable(Fidelity(e)));
    if (!g_engineOnly) {
        const Check b = CheckOutput(bareOut, books, sheetsPerBook, true);
        std::printf("  bare loop output check:      %s\n", qPrintable(Describe(b)));
        std::printf("  bare loop fidelity:          %s\n", qPrintable(Fidelity(b)));
    }
    if (!peer.isEmpty()) {
        const Check p = CheckOutput(peerOut, books, sheetsPerBook, false);
        std::printf("  ssconvert output check:      %s\n", qPrintable(Describe(p)));
    }
    std::fflush(stdout);
    return e.faults == 0 && e.outsideRefs == 0 && messages.count == 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    sheet::lo::InstallBackend();
    QTemporaryDir dir;
    const QString templatePath = QStringLiteral(SUITE_BIN_DIR "/BOOKMRGX.EXL");
    if (!QFile::exists(templatePath)) {
        std::fprintf(stderr, "template missing: %s\n", qPrintable(templatePath));
        return 1;
    }
    PrintedMessages messages;
    const common::ScopedOverride messagesInPlace(common::MessageSinkSeam(), &messages);
    NoStarts starts;
    const common::ScopedOverride startsInPlace(common::ProcessLauncherSeam(), &starts);
    NoOfficeOpen probe;
    common::ScopedOverride<sheet::ExcelProbe> probeInPlace(sheet::ExcelProbeSeam(), &probe);

    // "10x10" or "64x5" as arguments choose the sizes; both by default.
    QList<std::pair<int, int>> sizes;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QStringLiteral("--runs="))) {
            g_runs = std::max(1, arg.mid(7).toInt());
            continue;
        }
        if (arg.startsWith(QStringLiteral("--exclude="))) {
            g_exclude = arg.mid(10);
            continue;
        }
        if (arg == QStringLiteral("--engine-only")) {
            g_engineOnly = true;
            continue;
        }
        if (arg == QStringLiteral("--plain")) {
            g_plain = true;
            continue;
        }
        const QStringList parts = arg.split(QLatin1Char('x'));
        if (parts.size() == 2)
            sizes.append({parts[0].toInt(), parts[1].toInt()});
    }
    const QString peer =
        g_engineOnly ? QString() : QStandardPaths::findExecutable(QStringLiteral("ssconvert"));
    if (sizes.isEmpty())
        sizes = {{10, 10}, {64, 5}};
    bool ok = true;
    try {
        for (const auto& [books, sheets] : sizes)
            ok = Measure(dir.path(), books, sheets, templatePath, peer, messages) && ok;
    } catch (const sheet::SheetError& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    } catch (const css::uno::Exception& e) {
        std::fprintf(stderr, "UNO error: %s\n", qPrintable(ToQ(e.Message)));
        return 1;
    }
    return ok ? 0 : 2;
}
