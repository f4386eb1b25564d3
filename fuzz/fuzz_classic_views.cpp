// A classic workbook (.xls) a merge copies sheets from: how its sheets are
// shown, read from the compound document and from the workbook stream in it.

#include "fuzz_support.h"
#include "spreadsheet/classic_views.h"
#include "spreadsheet/compound_file.h"
#include "tests/support/classic_builder.h"

namespace {

// What the readers promise about whatever they give.
void CheckViews(const sheet::ClassicViews& views) {
    if (!views.ok) {
        FUZZ_CHECK(views.sheets.isEmpty());
        return;
    }
    for (const sheet::ClassicSheetView& v : views.sheets) {
        FUZZ_CHECK(!v.name.isEmpty());
        FUZZ_CHECK(v.zoom >= 20 && v.zoom <= 400);
        FUZZ_CHECK(v.pageZoom >= 20 && v.pageZoom <= 400);
        FUZZ_CHECK(v.activePane >= 0 && v.activePane <= 3);
        FUZZ_CHECK(v.firstColumn <= 255 && v.paneColumn <= 255 && v.cursorColumn <= 255);
        FUZZ_CHECK(views.Find(v.name) != nullptr);
        const sheet::SheetViewData d = sheet::ViewDataOf(v);
        FUZZ_CHECK(d.activeSplitRange >= 0 && d.activeSplitRange <= 3);
        FUZZ_CHECK(d.horizontalSplitMode >= 0 && d.horizontalSplitMode <= 2);
        FUZZ_CHECK(d.verticalSplitMode >= 0 && d.verticalSplitMode <= 2);
        if (d.horizontalSplitMode == 2)
            FUZZ_CHECK(d.horizontalSplitPosition > 0 && d.horizontalSplitPosition <= 255);
        if (d.verticalSplitMode == 2)
            FUZZ_CHECK(d.verticalSplitPosition > 0 && d.verticalSplitPosition <= 65535);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ScratchFolder();
    using namespace classic_test;
    QByteArray bulk;
    for (int row = 0; row < 40; ++row)
        bulk += Number(quint16(row), 1, row);
    const QList<Sheet> sheets = {
        {QStringLiteral("NoGrid"), bulk + Window2(0) + Scl(85, 100) + Selection(3, 4, 2)},
        {QStringLiteral("Frozen"), Bof(0x20) + Window2(0) + Eof() + Window2(0x0A, 3, 1) +
                                       Pane(1, 2, 5, 2, 0) + Selection(0, 9, 3)},
        {QStringLiteral("分割"), Window2(0x02) + Pane(1500, 600, 20, 4, 3), 0x10, true},
        {QStringLiteral("Chart"), Window2(0), 0x20},
    };
    fuzz::WriteSeed("mini", WorkbookFile(sheets));
    fuzz::WriteSeed("sectors", WorkbookFile(sheets, {false, false}));
    fuzz::WriteSeed("reversed", WorkbookFile(sheets, {false, true}));
    fuzz::WriteSeed("stream", Workbook(sheets));
    fuzz::WriteSeed("protected", Compound({{QStringLiteral("Workbook"), Workbook(sheets, true)}}));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::ScratchFolder() + QStringLiteral("/book.xls");
    fuzz::WriteInput(path, data, size);
    CheckViews(sheet::ReadClassicViews(path));
    sheet::CompoundFile file(path);
    if (file.ok()) {
        for (const QString& name : file.EntryNames())
            FUZZ_CHECK(!name.isEmpty() && name.size() <= 31);
        // No stream is larger than the file.
        FUZZ_CHECK(file.Stream(QStringLiteral("Workbook")).size() <= qsizetype(size));
    }
    // The same bytes as a workbook stream, past the container.
    CheckViews(sheet::ClassicViewsOf(fuzz::Bytes(data, size)));
    return 0;
}
