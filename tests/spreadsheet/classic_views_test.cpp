// How the sheets of a classic workbook are shown, read from files made here
// byte by byte: the records of each sheet, the office's reading of them, and
// files that are damaged, protected or made to mislead the reader.

#include "classic_builder.h"
#include "spreadsheet/classic_views.h"
#include "spreadsheet/compound_file.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace classic_test;
using sheet::ClassicSheetView;
using sheet::ClassicViews;

constexpr quint16 kGrid = 0x02;
constexpr quint16 kFrozen = 0x08;

class ClassicViewsTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("book%1.xls").arg(++count_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    ClassicViews Read(const QByteArray& bytes) { return sheet::ReadClassicViews(Write(bytes)); }

    // A book as users make them: grid lines off at 85 %, 1 column and 2 rows
    // frozen with the cursor below the split, a plain sheet; a chart inside
    // the frozen sheet brings a window of its own.
    static QList<Sheet> UserBook() {
        QByteArray bulk;
        for (int row = 0; row < 300; ++row)
            bulk += Number(quint16(row), 0, row * 1.5);
        const QByteArray chart = Bof(0x20) + Window2(0) + Scl(3, 1) + Eof();
        return {
            {QStringLiteral("NoGrid"), bulk + Window2(0) + Scl(85, 100) + Selection(3, 4, 2)},
            {QStringLiteral("Frozen"), bulk + chart + Window2(kGrid | kFrozen) +
                                           Pane(1, 2, 2, 1, 0) + Selection(3, 0, 0) +
                                           Selection(0, 9, 3)},
            {QStringLiteral("Plain"), Window2(kGrid)},
        };
    }

    QTemporaryDir dir_;
    int count_ = 0;
};

QString Describe(const ClassicSheetView& v) {
    return QStringLiteral("%1 grid=%2 frozen=%3 split=%4,%5 first=%6,%7 pane=%8,%9 active=%10 "
                          "cursor=%11,%12 zoom=%13/%14")
        .arg(v.name)
        .arg(v.showGrid)
        .arg(v.frozen)
        .arg(v.splitColumns)
        .arg(v.splitRows)
        .arg(v.firstRow)
        .arg(v.firstColumn)
        .arg(v.paneRow)
        .arg(v.paneColumn)
        .arg(v.activePane)
        .arg(v.cursorRow)
        .arg(v.cursorColumn)
        .arg(v.zoom)
        .arg(v.pageZoom);
}

QStringList Describe(const ClassicViews& views) {
    QStringList out;
    for (const ClassicSheetView& v : views.sheets)
        out << Describe(v);
    return out;
}

TEST_F(ClassicViewsTest, EverySheetsWindowPanesZoomAndCursorAreRead) {
    const QStringList expected = {
        "NoGrid grid=0 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=4,2 zoom=85/60",
        "Frozen grid=1 frozen=1 split=1,2 first=0,0 pane=2,1 active=0 cursor=9,3 zoom=100/60",
        "Plain grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=0,0 zoom=100/60"};
    // Small streams live in the compound document's mini stream, larger ones
    // in its sectors, in whatever order the allocation table links them.
    for (const CompoundOptions options :
         {CompoundOptions{true, false}, CompoundOptions{false, false},
          CompoundOptions{false, true}}) {
        const ClassicViews views = Read(WorkbookFile(UserBook(), options));
        EXPECT_TRUE(views.ok);
        EXPECT_EQ(Describe(views), expected);
    }
    // A small book, all in the mini stream.
    const ClassicViews small = Read(WorkbookFile(
        {{QStringLiteral("表１"), Window2(kGrid, 0, 0, 0, 120), 0x10, true}}, {true, true}));
    ASSERT_EQ(small.sheets.size(), 1);
    EXPECT_EQ(small.sheets[0].name, QStringLiteral("表１"));
    EXPECT_EQ(small.sheets[0].zoom, 120);
    EXPECT_NE(small.Find(QStringLiteral("表１")), nullptr);
    EXPECT_EQ(small.Find(QStringLiteral("表")), nullptr);
}

// The zoom the file last showed wins over the window's own, for the view it
// showed; zooms the office cannot show are brought into its range; a sheet
// with no window shows the defaults; a chart sheet has neither panes nor
// hidden grid lines.
TEST_F(ClassicViewsTest, ZoomsAndSheetsWithoutAWindow) {
    const ClassicViews views = Read(WorkbookFile({
        {QStringLiteral("Preview"), Window2(kGrid | 0x0800, 0, 0, 0, 90) + Scl(3, 4)},
        {QStringLiteral("Huge"), Window2(kGrid) + Scl(50, 1)},
        {QStringLiteral("Tiny"), Window2(kGrid, 0, 0, 5, 5)},
        {QStringLiteral("NoDenominator"), Window2(kGrid) + Scl(50, 0)},
        {QStringLiteral("NoWindow"), Number(0, 0, 1)},
        {QStringLiteral("Chart"), Window2(kFrozen) + Pane(1, 1, 1, 1, 0), 0x20},
    }));
    EXPECT_EQ(
        Describe(views),
        (QStringList{"Preview grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=0,0 "
                     "zoom=90/75",
                     "Huge grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=0,0 "
                     "zoom=400/60",
                     "Tiny grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=0,0 "
                     "zoom=20/20",
                     "NoDenominator grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 "
                     "cursor=0,0 zoom=100/60",
                     "NoWindow grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=0,0 "
                     "zoom=100/60",
                     "Chart grid=1 frozen=0 split=0,0 first=0,0 pane=0,0 active=3 cursor=0,0 "
                     "zoom=100/60"}));
}

// What the office's view makes of the records where a view of a file the
// office wrote cannot show it (the uno tests compare frozen panes with a
// view's reading): frozen panes counted from scrolled first cells, a freeze
// past the last column, a split window, a pane that is not there.
TEST(ClassicViewData, TheOfficesReadingOfPanes) {
    ClassicSheetView frozen;
    frozen.frozen = true;
    frozen.splitColumns = 1;
    frozen.splitRows = 2;
    frozen.firstColumn = 3;
    frozen.firstRow = 10;
    frozen.activePane = 1; // top-right
    sheet::SheetViewData d = sheet::ViewDataOf(frozen);
    EXPECT_EQ(d.horizontalSplitPosition, 4);
    EXPECT_EQ(d.verticalSplitPosition, 12);
    EXPECT_EQ(d.activeSplitRange, 1);
    EXPECT_EQ(d.positionTop, 10);
    frozen.firstColumn = 250;
    frozen.splitColumns = 10;
    d = sheet::ViewDataOf(frozen);
    EXPECT_EQ(d.horizontalSplitMode, 0);
    EXPECT_EQ(d.verticalSplitMode, 2);
    EXPECT_EQ(d.activeSplitRange, 0); // top-left: no pane right of the split

    ClassicSheetView split;
    split.splitColumns = 1500;
    split.splitRows = 7; // less than half a pixel: none
    split.activePane = 0;
    d = sheet::ViewDataOf(split);
    EXPECT_EQ(d.horizontalSplitMode, 1);
    EXPECT_EQ(d.verticalSplitMode, 0);
    EXPECT_EQ(d.horizontalSplitPosition, 100); // pixels
    EXPECT_EQ(d.activeSplitRange, 3);

    ClassicSheetView plain;
    plain.activePane = 1;
    plain.firstRow = 5;
    d = sheet::ViewDataOf(plain);
    EXPECT_EQ(d.horizontalSplitMode + d.verticalSplitMode, 0);
    EXPECT_EQ(d.activeSplitRange, 2);
    EXPECT_EQ(d.positionBottom, 5);
}

// A book protected by a password, an older version of the format, today's
// formats and damaged files give nothing, and never more than the file holds.
TEST_F(ClassicViewsTest, ProtectedOlderAndDamagedFilesGiveNothing) {
    const QList<Sheet> book = UserBook();
    EXPECT_FALSE(Read(Compound({{QStringLiteral("Workbook"), Workbook(book, true)}})).ok);
    QByteArray older = Workbook(book);
    Put16(older, 4, 0x0500);
    EXPECT_FALSE(Read(Compound({{QStringLiteral("Workbook"), older}})).ok);
    EXPECT_FALSE(Read(Compound({{QStringLiteral("Book"), Workbook(book)}})).ok);
    EXPECT_FALSE(Read("PK\x03\x04 a package of today's formats").ok);
    EXPECT_FALSE(sheet::ReadClassicViews(dir_.filePath(QStringLiteral("missing.xls"))).ok);

    // Cut anywhere before its allocation table (the file's last sector): no
    // part of the stream is read.
    const QByteArray whole = WorkbookFile(book, {false, true});
    for (qsizetype size = 0; size < whole.size() - 512; size += 97) {
        const ClassicViews cut = Read(whole.left(size));
        EXPECT_FALSE(cut.ok) << size;
    }
    // The stream cut inside the sheets' records: the sheets read whole.
    const QByteArray stream = Workbook(book);
    const ClassicViews part = sheet::ClassicViewsOf(stream.left(stream.size() - 30));
    EXPECT_TRUE(part.ok);
    EXPECT_EQ(part.sheets.size(), 2);
    // Sheets said to start where no records start, or past the end.
    QByteArray moved = stream;
    const qsizetype bound = moved.indexOf(QByteArray::fromHex("8500"));
    Put32(moved, int(bound + 4), 0x7FFFFFF0);
    EXPECT_EQ(sheet::ClassicViewsOf(moved).sheets.size(), 2);
}

// Allocation tables that loop, directory entries with sizes larger than the
// file, and sector sizes the format does not have end the reading.
TEST_F(ClassicViewsTest, MisleadingContainersEndTheReading) {
    const QByteArray file = WorkbookFile(UserBook(), {false, false});
    const int fatStart = qFromLittleEndian<quint32>(file.constData() + 0x4C);
    const int fatAt = 512 * (fatStart + 1);
    const int directoryAt = 512 * (qFromLittleEndian<quint32>(file.constData() + 0x30) + 1);
    const int workbookStart =
        qFromLittleEndian<quint32>(file.constData() + directoryAt + 128 + 0x74);

    QByteArray loop = file; // the workbook's second sector links back to its first
    Put32(loop, fatAt + 4 * (workbookStart + 1), quint32(workbookStart));
    EXPECT_FALSE(Read(loop).ok);
    QByteArray directoryLoop = file; // the directory's sector links to itself
    Put32(directoryLoop, fatAt + 4 * ((directoryAt / 512) - 1), quint32(directoryAt / 512 - 1));
    EXPECT_TRUE(Read(directoryLoop).ok);
    QByteArray huge = file; // a workbook of 4 GB
    Put32(huge, directoryAt + 128 + 0x78, 0xFFFFFFF0);
    EXPECT_FALSE(Read(huge).ok);
    QByteArray shift = file;
    Put16(shift, 0x1E, 31);
    EXPECT_FALSE(Read(shift).ok);
    QByteArray difat = file; // a list of table sectors that names itself
    Put32(difat, 0x44, 0);
    for (int i = 0; i < 109; ++i)
        Put32(difat, 0x4C + 4 * i, 0);
    Read(difat);
    QByteArray outside = file; // a chain into sectors past the end
    Put32(outside, fatAt + 4 * workbookStart, 0x00FFFFFF);
    EXPECT_FALSE(Read(outside).ok);

    // The entries are still listed where the directory can be read.
    sheet::CompoundFile listed(Write(directoryLoop));
    EXPECT_TRUE(listed.ok());
    EXPECT_TRUE(listed.EntryNames().contains(QStringLiteral("Workbook")));
}

} // namespace
