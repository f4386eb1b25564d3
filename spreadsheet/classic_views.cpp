#include "spreadsheet/classic_views.h"
#include "spreadsheet/compound_file.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>

namespace sheet {

namespace {

// Record types.
constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kFilePass = 0x002F;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kWindow2 = 0x023E;
constexpr quint16 kPane = 0x0041;
constexpr quint16 kScl = 0x00A0;
constexpr quint16 kSelection = 0x001D;

// The only version read: the classic format's last one.
constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kGlobals = 0x0005;
constexpr quint16 kChartSheet = 0x0020;

// WINDOW2 option flags.
constexpr quint16 kShowGrid = 0x0002;
constexpr quint16 kFrozen = 0x0008;
constexpr quint16 kPageBreakPreview = 0x0800;

// The largest row and column a classic sheet has.
constexpr int kLastRow = 65535;
constexpr int kLastColumn = 255;
// The zoom range the office shows.
constexpr int kMinZoom = 20;
constexpr int kMaxZoom = 400;

const auto U16 = StoredU16;
const auto U32 = StoredU32;

struct Record {
    quint16 type = 0;
    qsizetype offset = 0; // of the record's header in the stream
    QByteArray data;
};

// Walks the records of a stream one after the other; a record whose length
// runs past the end ends the walk.
class Records {
public:
    explicit Records(const QByteArray& stream) : stream_(stream) {}
    bool Next(Record& record) {
        if (at_ + 4 > stream_.size())
            return false;
        const quint16 length = U16(stream_, at_ + 2);
        if (at_ + 4 + length > stream_.size())
            return false;
        record.type = U16(stream_, at_);
        record.offset = at_;
        record.data = QByteArray::fromRawData(stream_.constData() + at_ + 4, length);
        at_ += 4 + length;
        return true;
    }

private:
    const QByteArray& stream_;
    qsizetype at_ = 0;
};

// The sheet name of a BOUNDSHEET record: a character count, an option byte
// (bit 0: two bytes a character) and the characters. Empty when cut short.
QString SheetName(const QByteArray& data) {
    constexpr qsizetype at = 6;
    if (at + 2 > data.size())
        return QString();
    const int count = quint8(data.at(at));
    const bool wide = quint8(data.at(at + 1)) & 0x01;
    const qsizetype bytes = wide ? 2 * count : count;
    if (at + 2 + bytes > data.size())
        return QString();
    const char* chars = data.constData() + at + 2;
    if (!wide)
        return QString::fromLatin1(chars, count);
    QString name(count, Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        name[i] = QChar(qFromLittleEndian<quint16>(chars + 2 * i));
    return name;
}

// What the records of one sheet said, put together at its end.
struct SheetRecords {
    ClassicSheetView view;
    bool chart = false;
    bool pageBreakPreview = false;
    int normalZoom = 0; // 0: not given
    int pageZoom = 0;
    int currentZoom = 0;
    bool hasCursor[4] = {false, false, false, false};
    int cursorRow[4] = {0, 0, 0, 0};
    int cursorColumn[4] = {0, 0, 0, 0};

    void Read(const Record& r) {
        ClassicSheetView& v = view;
        switch (r.type) {
        case kWindow2: {
            const quint16 flags = U16(r.data, 0);
            // Chart sheets show neither grid lines nor panes.
            v.showGrid = chart || (flags & kShowGrid);
            v.frozen = !chart && (flags & kFrozen);
            pageBreakPreview = !chart && (flags & kPageBreakPreview);
            if (!chart) {
                v.firstRow = U16(r.data, 2);
                v.firstColumn = std::min<int>(U16(r.data, 4), kLastColumn);
            }
            if (r.data.size() >= 14) {
                pageZoom = U16(r.data, 10);
                normalZoom = U16(r.data, 12);
            }
            break;
        }
        case kPane:
            if (chart)
                break;
            v.splitColumns = U16(r.data, 0);
            v.splitRows = U16(r.data, 2);
            v.paneRow = U16(r.data, 4);
            v.paneColumn = std::min<int>(U16(r.data, 6), kLastColumn);
            v.activePane = r.data.size() >= 9 ? quint8(r.data.at(8)) & 0x03 : 3;
            break;
        case kScl:
            if (U16(r.data, 2) != 0)
                currentZoom = int(U16(r.data, 0)) * 100 / U16(r.data, 2);
            break;
        case kSelection:
            if (r.data.size() >= 5) {
                const int pane = quint8(r.data.at(0)) & 0x03;
                hasCursor[pane] = true;
                cursorRow[pane] = U16(r.data, 1);
                cursorColumn[pane] = std::min<int>(U16(r.data, 3), kLastColumn);
            }
            break;
        default:
            break;
        }
    }

    ClassicSheetView Finish() {
        ClassicSheetView v = view;
        if (hasCursor[v.activePane]) {
            v.cursorRow = cursorRow[v.activePane];
            v.cursorColumn = cursorColumn[v.activePane];
        }
        // The zoom of the last shown view replaces the window's own.
        if (currentZoom != 0)
            (pageBreakPreview ? pageZoom : normalZoom) = currentZoom;
        v.zoom = std::clamp(normalZoom != 0 ? normalZoom : 100, kMinZoom, kMaxZoom);
        v.pageZoom = std::clamp(pageZoom != 0 ? pageZoom : 60, kMinZoom, kMaxZoom);
        return v;
    }
};

} // namespace

const ClassicSheetView* ClassicViews::Find(const QString& name) const {
    for (const ClassicSheetView& sheet : sheets)
        if (sheet.name == name)
            return &sheet;
    return nullptr;
}

ClassicViews ClassicViewsOf(const QByteArray& stream) {
    ClassicViews out;
    Records records(stream);
    Record r;
    // The globals first: a BOF of the workbook's globals in this version,
    // then the sheets and where their records start, up to their EOF.
    if (!records.Next(r) || r.type != kBof || U16(r.data, 0) != kBiff8 ||
        U16(r.data, 2) != kGlobals)
        return out;
    QHash<qsizetype, QString> sheetAt;
    QList<qsizetype> order;
    while (records.Next(r) && r.type != kEof) {
        if (r.type == kFilePass)
            return out; // what follows is encrypted
        if (r.type == kBoundSheet) {
            const qsizetype at = U32(r.data, 0);
            const QString name = SheetName(r.data);
            if (!name.isEmpty() && !sheetAt.contains(at)) {
                sheetAt.insert(at, name);
                order.append(at);
            }
        }
    }
    // Then every sheet's records: from its BOF to the EOF that closes it
    // (a chart inside a sheet has a BOF and an EOF of its own).
    QHash<qsizetype, ClassicSheetView> found;
    SheetRecords current;
    qsizetype currentAt = -1;
    int depth = 0;
    while (records.Next(r)) {
        if (depth == 0) {
            if (r.type == kBof && sheetAt.contains(r.offset)) {
                current = SheetRecords();
                current.view.name = sheetAt.value(r.offset);
                current.chart = U16(r.data, 2) == kChartSheet;
                currentAt = r.offset;
                depth = 1;
            }
            continue;
        }
        if (r.type == kBof) {
            ++depth;
        } else if (r.type == kEof) {
            if (--depth == 0)
                found.insert(currentAt, current.Finish());
        } else if (depth == 1) {
            current.Read(r);
        }
    }
    for (qsizetype at : std::as_const(order))
        if (found.contains(at))
            out.sheets.append(found.value(at));
    out.ok = true;
    return out;
}

ClassicViews ReadClassicViews(const QString& path) {
    CompoundFile file(path);
    if (!file.ok())
        return ClassicViews();
    return ClassicViewsOf(file.Stream(QStringLiteral("Workbook")));
}

SheetViewData ViewDataOf(const ClassicSheetView& v) {
    SheetViewData d;
    // Frozen panes count the columns and rows left of and above the split
    // from the first visible ones; the office keeps where the split is.
    const int freezeColumn = v.firstColumn + v.splitColumns;
    const int freezeRow = v.firstRow + v.splitRows;
    // A split window is placed in pixels, 15 twips each; one less than a
    // pixel from the edge is none.
    const auto pixels = [](int twips) { return (twips + 7) / 15; };
    const bool horizontal =
        v.frozen ? v.splitColumns > 0 && freezeColumn <= kLastColumn : pixels(v.splitColumns) > 0;
    const bool vertical =
        v.frozen ? v.splitRows > 0 && freezeRow <= kLastRow : pixels(v.splitRows) > 0;
    const int mode = v.frozen ? 2 : 1;
    if (horizontal) {
        d.horizontalSplitMode = mode;
        d.horizontalSplitPosition = v.frozen ? freezeColumn : pixels(v.splitColumns);
        d.positionRight = v.paneColumn;
    }
    if (vertical) {
        d.verticalSplitMode = mode;
        d.verticalSplitPosition = v.frozen ? freezeRow : pixels(v.splitRows);
        d.positionTop = v.firstRow;
        d.positionBottom = v.paneRow;
    } else {
        d.positionBottom = v.firstRow;
    }
    d.positionLeft = v.firstColumn;
    // The file's panes (bottom-right, top-right, bottom-left, top-left) to
    // the office's (top-left, top-right, bottom-left, bottom-right); a side
    // without a split is the bottom or left one.
    constexpr int kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3;
    switch (v.activePane) {
    case 0:
        d.activeSplitRange = horizontal ? kBottomRight : kBottomLeft;
        break;
    case 1:
        d.activeSplitRange = horizontal ? (vertical ? kTopRight : kBottomRight)
                                        : (vertical ? kTopLeft : kBottomLeft);
        break;
    case 2:
        d.activeSplitRange = kBottomLeft;
        break;
    default:
        d.activeSplitRange = vertical ? kTopLeft : kBottomLeft;
        break;
    }
    d.cursorX = v.cursorColumn;
    d.cursorY = v.cursorRow;
    d.zoomValue = v.zoom;
    d.pageViewZoomValue = v.pageZoom;
    d.showGrid = v.showGrid;
    return d;
}

} // namespace sheet
