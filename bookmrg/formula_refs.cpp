#include "bookmrg/formula_refs.h"

#include "spreadsheet/cell_address.h"
#include "workbook_tools/office_errors.h"

#include <QRegularExpression>

#include <functional>

namespace bookmrg {

namespace {

bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// A cell reference starts after the sheet's dot: "$A1", "B5", "A:A".
bool StartsCellRef(const QString& f, qsizetype at) {
    if (at < f.size() && f[at] == QLatin1Char('$'))
        ++at;
    return at < f.size() && f[at].unicode() < 128 && f[at].isLetter();
}

QString Quoted(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

// The end of a quoted text starting at `at` (just past its closing quote),
// with doubled quotes inside; the text without its quotes goes to `inner`.
qsizetype SkipQuoted(const QString& f, qsizetype at, QChar quote, QString* inner) {
    qsizetype i = at + 1;
    while (i < f.size()) {
        if (f[i] == quote) {
            if (i + 1 < f.size() && f[i + 1] == quote) {
                if (inner)
                    inner->append(quote);
                i += 2;
                continue;
            }
            return i + 1;
        }
        if (inner)
            inner->append(f[i]);
        ++i;
    }
    return i;
}

// What a formula holds besides its rewritten text.
struct Scan {
    bool changed = false;     // a sheet reference was rewritten
    bool usesOwnName = false; // it uses one of the copies' own names
    QSet<QString> sheets;     // the sheets of its own book it refers to
};

// Rewrites the sheet references of a formula, a name's content or a chart
// range: sheets in `renames` by their copies' names.
QString Rewrite(const QString& formula, const SheetRenames& renames, const QSet<QString>& ownNames,
                Scan* scan) {
    QString out;
    out.reserve(formula.size() + 16);
    qsizetype i = 0;
    while (i < formula.size()) {
        const QChar c = formula[i];
        if (c == QLatin1Char('"')) {
            const qsizetype end = SkipQuoted(formula, i, c, nullptr);
            out += QStringView(formula).mid(i, end - i);
            i = end;
            continue;
        }
        // A sheet name: quoted, or a run of letters, digits and underscores
        // that does not continue a name or a cell reference.
        QString name;
        qsizetype end = i;
        const bool quoted = c == QLatin1Char('\'');
        if (quoted) {
            end = SkipQuoted(formula, i, c, &name);
        } else if (IsNameChar(c) && (i == 0 || (!IsNameChar(formula[i - 1]) &&
                                                formula[i - 1] != QLatin1Char('.')))) {
            while (end < formula.size() && IsNameChar(formula[end]))
                ++end;
            name = formula.mid(i, end - i);
        } else {
            out += c;
            ++i;
            continue;
        }
        // "#$Name." is a sheet of another file (after its quoted URL).
        qsizetype before = i - 1;
        if (before >= 0 && formula[before] == QLatin1Char('$'))
            --before;
        const bool otherFile = before >= 0 && formula[before] == QLatin1Char('#');
        const bool isSheetRef = end < formula.size() && formula[end] == QLatin1Char('.') &&
                                StartsCellRef(formula, end + 1);
        if (isSheetRef && !otherFile) {
            scan->sheets.insert(name);
            const auto renamed = renames.constFind(name);
            if (renamed != renames.constEnd()) {
                out += Quoted(renamed.value());
                scan->changed = true;
                i = end;
                continue;
            }
        } else if (!quoted && !isSheetRef && !ownNames.isEmpty() &&
                   (end >= formula.size() || formula[end] != QLatin1Char('(')) &&
                   ownNames.contains(name.toUpper())) {
            scan->usesOwnName = true;
        }
        out += QStringView(formula).mid(i, end - i);
        i = end;
    }
    return out;
}

bool AnyOf(const QSet<QString>& sheets, const QSet<QString>& among) {
    for (const QString& s : sheets)
        if (among.contains(s))
            return true;
    return false;
}

QString CellName(const QString& sheetName, int row, int column) {
    return sheetName + QLatin1Char('!') + sheet::A1Address(row, column, row, column);
}

std::shared_ptr<sheet::Worksheet> SourceOf(sheet::Workbook& source, const CopiedSheet& s) {
    return s.source ? s.source : source.Worksheets(s.sourceName);
}

// Runs a step on one sheet; a refusal of the office skips it, a lost office
// ends everything.
template <typename F> bool Tolerant(F&& step) {
    try {
        step();
        return true;
    } catch (const sheet::SheetError& error) {
        tools::RethrowIfOfficeLost(error);
        return false;
    }
}

// Puts into `copy` the values that the formulas (cells of `from`) show,
// over the whole area of an array formula.
void KeepValues(const std::shared_ptr<sheet::Worksheet>& from, sheet::Worksheet& copy,
                const QList<sheet::FormulaCell>& cells, RepointResult& result) {
    for (const sheet::FormulaCell& cell : cells) {
        const int rows = qMax(1, cell.arrayRows);
        const int columns = qMax(1, cell.arrayColumns);
        const bool kept = Tolerant([&] {
            QList<QList<sheet::CellValue>> area;
            for (int r = 0; r < rows; ++r) {
                area.append(QList<sheet::CellValue>());
                for (int c = 0; c < columns; ++c)
                    area.last().append(from->Cells(cell.row + r, cell.column + c)->Value());
            }
            copy.Range(sheet::A1Address(cell.row, cell.column, cell.row + rows - 1,
                                        cell.column + columns - 1))
                ->SetValues(area);
        });
        (kept ? result.keptValues : result.refused) << CellName(copy.Name(), cell.row, cell.column);
    }
}

// A value written as a constant of a formula; an empty cell reads as 0.
QString ConstantText(const sheet::CellValue& value) {
    if (const double* number = std::get_if<double>(&value))
        return QString::number(*number, 'g', 17);
    if (const QString* text = std::get_if<QString>(&value)) {
        QString quoted = *text;
        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return QStringLiteral("0");
}

QString NameEntry(const QString& name) {
    return QStringLiteral("名前 ") + name;
}

QString ChartEntry(const QString& sheetName, const QString& chart) {
    return QStringLiteral("グラフ ") + sheetName + QLatin1Char('!') + chart;
}

} // namespace

std::optional<QString> RepointSheetRefs(const QString& formula, const SheetRenames& renames) {
    Scan scan;
    const QString out = Rewrite(formula, renames, {}, &scan);
    if (!scan.changed)
        return std::nullopt;
    return out;
}

std::optional<QString> RewriteForCopy(const QString& formula, const BookRefs& refs) {
    Scan scan;
    const QString out = Rewrite(formula, refs.renames, refs.ownNames, &scan);
    if (!scan.changed && !scan.usesOwnName)
        return std::nullopt;
    return out;
}

bool RefersToNotCopied(const QString& formula, const BookRefs& refs) {
    if (refs.notCopied.isEmpty())
        return false;
    Scan scan;
    Rewrite(formula, {}, {}, &scan);
    return AnyOf(scan.sheets, refs.notCopied);
}

RepointResult RepointCopiedFormulas(sheet::Workbook& source, const QList<CopiedSheet>& copied,
                                    const BookRefs& refs) {
    RepointResult result;
    for (const CopiedSheet& s : copied) {
        QList<sheet::FormulaCell> formulas;
        if (!Tolerant([&] { formulas = SourceOf(source, s)->Formulas(); })) {
            result.refused << s.copy->Name();
            continue;
        }
        QList<sheet::FormulaCell> repointed;
        QList<sheet::FormulaCell> values;
        for (const sheet::FormulaCell& cell : formulas) {
            if (RefersToNotCopied(cell.formula, refs))
                values.append(cell);
            else if (const std::optional<QString> f = RewriteForCopy(cell.formula, refs))
                repointed.append({cell.row, cell.column, *f, cell.arrayRows, cell.arrayColumns});
        }
        KeepValues(SourceOf(source, s), *s.copy, values, result);
        if (repointed.isEmpty())
            continue;
        if (Tolerant([&] { s.copy->SetFormulas(repointed); })) {
            result.set += int(repointed.size());
            continue;
        }
        // One formula the office refuses fails its whole block: the others
        // still go in, one at a time, and the refused are reported.
        for (const sheet::FormulaCell& cell : repointed) {
            if (Tolerant([&] { s.copy->SetFormulas({cell}); }))
                ++result.set;
            else
                result.refused << CellName(s.copy->Name(), cell.row, cell.column);
        }
    }
    return result;
}

RepointResult KeepValuesOfReferences(const QList<std::shared_ptr<sheet::Worksheet>>& sheets,
                                     const QSet<QString>& leftOut) {
    BookRefs refs;
    refs.notCopied = leftOut;
    RepointResult result;
    for (const std::shared_ptr<sheet::Worksheet>& sheet : sheets) {
        QList<sheet::FormulaCell> cells;
        if (!Tolerant([&] { cells = sheet->Formulas(); }))
            continue;
        QList<sheet::FormulaCell> values;
        for (const sheet::FormulaCell& cell : cells)
            if (RefersToNotCopied(cell.formula, refs))
                values.append(cell);
        KeepValues(sheet, *sheet, values, result);
    }
    return result;
}

int RepointCopiedFormulas(sheet::Workbook& source, const QList<CopiedSheet>& copied) {
    BookRefs refs;
    for (const CopiedSheet& s : copied)
        refs.renames.insert(s.sourceName, s.copy->Name());
    return RepointCopiedFormulas(source, copied, refs).set;
}

namespace {

// Areas up to this size become array constants; the saved classic workbook
// keeps a name's content within one record.
constexpr int kMaxArrayCells = 256;
constexpr int kMaxConstantLength = 2000;

QString Unquoted(const QString& sheetName) {
    if (!sheetName.startsWith(QLatin1Char('\'')))
        return sheetName;
    QString name = sheetName.mid(1, sheetName.size() - 2);
    name.replace(QStringLiteral("''"), QStringLiteral("'"));
    return name;
}

// "$B$2" -> row 2, column 2.
bool ParseCellRef(const QString& text, int* row, int* column) {
    static const QRegularExpression cell(QStringLiteral(R"(^\$?([A-Za-z]{1,3})\$?([0-9]{1,7})$)"));
    const QRegularExpressionMatch m = cell.match(text);
    if (!m.hasMatch())
        return false;
    int c = 0;
    for (const QChar ch : m.captured(1).toUpper())
        c = c * 26 + (ch.unicode() - 'A' + 1);
    *column = c;
    *row = m.captured(2).toInt();
    return *row > 0;
}

// One cell or one area of one sheet: "$Memo.$B$2", "$'Memo 2'.$B$2:$C$3",
// "$Memo.$B$2:$Memo.$B$3".
struct SheetArea {
    QString sheet;
    int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
};

std::optional<SheetArea> AreaOf(const QString& content) {
    static const QRegularExpression area(
        QStringLiteral(R"(^\$?('(?:[^']|'')+'|[^.'$:]+)\.(\$?[A-Za-z]{1,3}\$?[0-9]+))"
                       R"((?::(?:\$?('(?:[^']|'')+'|[^.'$:]+)\.)?(\$?[A-Za-z]{1,3}\$?[0-9]+))?$)"));
    const QRegularExpressionMatch m = area.match(content.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    SheetArea a;
    a.sheet = Unquoted(m.captured(1));
    if (!m.captured(3).isEmpty() && Unquoted(m.captured(3)) != a.sheet)
        return std::nullopt;
    if (!ParseCellRef(m.captured(2), &a.firstRow, &a.firstColumn))
        return std::nullopt;
    a.lastRow = a.firstRow;
    a.lastColumn = a.firstColumn;
    if (!m.captured(4).isEmpty() && !ParseCellRef(m.captured(4), &a.lastRow, &a.lastColumn))
        return std::nullopt;
    if (a.lastRow < a.firstRow)
        std::swap(a.firstRow, a.lastRow);
    if (a.lastColumn < a.firstColumn)
        std::swap(a.firstColumn, a.lastColumn);
    return a;
}

// The values of an area as an array constant of the office's notation:
// "{1;2|3;4}", columns split by ";", rows by "|".
std::optional<QString> ArrayConstant(sheet::Worksheet& sheet, const SheetArea& a) {
    const int rows = a.lastRow - a.firstRow + 1;
    const int columns = a.lastColumn - a.firstColumn + 1;
    if (qint64(rows) * columns > kMaxArrayCells)
        return std::nullopt;
    QStringList lines;
    for (int r = a.firstRow; r <= a.lastRow; ++r) {
        QStringList line;
        for (int c = a.firstColumn; c <= a.lastColumn; ++c)
            line << ConstantText(sheet.Cells(r, c)->Value());
        lines << line.join(QLatin1Char(';'));
    }
    const QString constant = QLatin1Char('{') + lines.join(QLatin1Char('|')) + QLatin1Char('}');
    if (constant.size() > kMaxConstantLength)
        return std::nullopt;
    return constant;
}

// Whether a name's formula means the same in every cell that uses it: every
// sheet, column and row of its references is absolute, and it calls no
// function whose value changes by itself or depends on where it stands.
// Anything that might be relative counts as relative.
bool MeansTheSameEverywhere(const QString& content) {
    static const QRegularExpression strings(QStringLiteral(R"("(?:[^"]|"")*")"));
    static const QRegularExpression movingCall(
        QStringLiteral(
            R"(\b(RAND|RANDBETWEEN|NOW|TODAY|OFFSET|INDIRECT|CELL|INFO|ROW|COLUMN)\s*\()"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    // A sheet without "$" before it.
    static const QRegularExpression relativeSheet(
        QStringLiteral(R"((?:^|[^$'\w])(?:'(?:[^']|'')+'|\w+)\.\$?[A-Za-z])"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression quotedSheet(QStringLiteral(R"('(?:[^']|'')+')"));
    static const QRegularExpression cell(
        QStringLiteral(R"((?<![\w$])(\$?)[A-Za-z]{1,3}(\$?)[0-9]+(?![\w(]))"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression columns(
        QStringLiteral(R"((?<![\w$])(\$?)[A-Za-z]{1,3}:(\$?)[A-Za-z]{1,3}(?![\w(]))"),
        QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression rows(
        QStringLiteral(R"((?<![\w$])(\$?)[0-9]+:(\$?)[0-9]+(?![\w(]))"),
        QRegularExpression::UseUnicodePropertiesOption);
    QString text = content;
    text.replace(strings, QStringLiteral("\"\""));
    if (movingCall.match(text).hasMatch() || relativeSheet.match(text).hasMatch())
        return false;
    text.replace(quotedSheet, QStringLiteral("S"));
    for (const QRegularExpression* re : {&cell, &columns, &rows}) {
        auto it = re->globalMatch(text);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            if (m.captured(1).isEmpty() || m.captured(2).isEmpty())
                return false;
        }
    }
    return true;
}

bool IsErrorText(const QString& text) {
    static const QRegularExpression error(
        QStringLiteral(R"(^(#(NULL!|DIV/0!|VALUE!|REF!|NAME\?|NUM!|N/A)|Err:[0-9]+)$)"));
    return error.match(text).hasMatch();
}

// The value of a name's formula, worked out in two cells beside the content
// of `sheetName`, a sheet that is not kept (deleted from the output, or of a
// source book that is never saved): the formula, and how many rows times
// columns it gives, which is 1 for one value (an area, an array or a whole
// column gives more, and has no one value). `refused` tells that the book did
// not take the formulas (a book opened read-only).
std::optional<QString> EvaluatedName(sheet::Workbook& book, const QString& content,
                                     const QString& sheetName, bool* refused) {
    std::optional<QString> constant;
    Tolerant([&] {
        std::shared_ptr<sheet::Worksheet> scratch = book.Worksheets(sheetName);
        const sheet::CellExtent extent = scratch->ContentExtent();
        const int row = extent.rows + 2;
        const int column = extent.columns + 2;
        const QString value = QLatin1Char('=') + content;
        // ROWS and COLUMNS refuse a single number or text: that is 1 too.
        const QString size = QStringLiteral("=IFERROR(ROWS(%1)*COLUMNS(%1);1)").arg(content);
        if (!Tolerant([&] {
                scratch->SetFormulas({{row, column, value}, {row, column + 1, size}});
            })) {
            *refused = true;
            return;
        }
        const sheet::CellValue result = scratch->Cells(row, column)->Value();
        const sheet::CellValue cells = scratch->Cells(row, column + 1)->Value();
        const QString* text = std::get_if<QString>(&result);
        if (cells != sheet::CellValue(1.0) || std::holds_alternative<std::monostate>(result) ||
            (text && IsErrorText(*text)))
            return;
        constant = ConstantText(result);
    });
    return constant;
}

// The same in a new workbook that holds copies of the book's sheets that
// the formula refers to, for a book that does not take formulas.
std::optional<QString> EvaluatedInCopies(sheet::Workbook& book, const QString& content,
                                         const QSet<QString>& sheets, const QString& sheetName,
                                         const NewWorkbook& newWorkbook) {
    std::shared_ptr<sheet::Workbook> scratch;
    std::optional<QString> constant;
    Tolerant([&] {
        scratch = newWorkbook();
        SheetRenames renames;
        QStringList names = sheets.values();
        names.sort();
        for (const QString& name : names)
            renames.insert(
                name, book.Worksheets(name)
                          ->Copy(sheet::Where::After, *scratch->Worksheets(scratch->SheetCount()))
                          ->Name());
        bool refused = false;
        constant = EvaluatedName(*scratch, RepointSheetRefs(content, renames).value_or(content),
                                 renames.value(sheetName), &refused);
    });
    sheet::CloseQuietly(scratch);
    return constant;
}

} // namespace

std::optional<QString> ConstantForName(sheet::Workbook& book, const QString& content,
                                       const QSet<QString>& notCopied,
                                       const NewWorkbook& newWorkbook) {
    // A reference relative to the cell that uses the name has no one value.
    if (!MeansTheSameEverywhere(content))
        return std::nullopt;
    if (const std::optional<SheetArea> area = AreaOf(content)) {
        if (!notCopied.contains(area->sheet))
            return std::nullopt;
        std::optional<QString> constant;
        Tolerant([&] {
            std::shared_ptr<sheet::Worksheet> sheet = book.Worksheets(area->sheet);
            if (area->firstRow == area->lastRow && area->firstColumn == area->lastColumn)
                constant = ConstantText(sheet->Cells(area->firstRow, area->firstColumn)->Value());
            else
                constant = ArrayConstant(*sheet, *area);
        });
        return constant;
    }
    Scan scan;
    Rewrite(content, {}, {}, &scan);
    for (const QString& sheetName : scan.sheets) {
        if (!notCopied.contains(sheetName))
            continue;
        bool refused = false;
        const std::optional<QString> constant = EvaluatedName(book, content, sheetName, &refused);
        if (refused && newWorkbook)
            return EvaluatedInCopies(book, content, scan.sheets, sheetName, newWorkbook);
        return constant;
    }
    return std::nullopt;
}

bool NameRefersToNotCopied(const QString& content, const QSet<QString>& notCopied) {
    BookRefs refs;
    refs.notCopied = notCopied;
    return RefersToNotCopied(content, refs);
}

RepointResult KeepValuesOfNames(sheet::Workbook& book,
                                const QList<std::shared_ptr<sheet::Worksheet>>& kept,
                                const QSet<QString>& leftOut) {
    RepointResult result;
    auto keep = [&](const std::shared_ptr<sheet::Worksheet>& sheet, const sheet::DefinedName& n,
                    const QString& entry) {
        if (!NameRefersToNotCopied(n.content, leftOut))
            return;
        if (const std::optional<QString> constant = ConstantForName(book, n.content, leftOut)) {
            result.keptValues << entry;
            result.names.append({sheet, {n.name, *constant}, entry});
        } else {
            result.refused << entry;
        }
    };
    QList<sheet::DefinedName> bookNames;
    Tolerant([&] { bookNames = book.Names(); });
    for (const sheet::DefinedName& n : bookNames)
        keep(nullptr, n, NameEntry(n.name));
    for (const std::shared_ptr<sheet::Worksheet>& sheet : kept) {
        QList<sheet::DefinedName> local;
        Tolerant([&] { local = sheet->LocalNames(); });
        for (const sheet::DefinedName& n : local)
            keep(sheet, n, NameEntry(sheet->Name() + QLatin1Char('!') + n.name));
    }
    return result;
}

QStringList SetPendingNames(sheet::Workbook& book, const QList<PendingName>& names) {
    QStringList refused;
    // The formulas that use names are compiled again once, after all of
    // them: those that read the output's name of the same name then read a
    // copy's own (a lost office ends everything anyway).
    const bool held = !names.isEmpty() && Tolerant([&] { book.HoldNameUpdates(true); });
    for (const PendingName& n : names) {
        const bool set = Tolerant([&] {
            if (n.sheet)
                n.sheet->SetLocalName(n.name);
            else
                book.SetName(n.name);
        });
        if (!set && !n.entry.isEmpty())
            refused << n.entry;
    }
    if (held)
        Tolerant([&] { book.HoldNameUpdates(false); });
    return refused;
}

void CarryBookNames(sheet::Workbook& source, sheet::Workbook& output,
                    const QList<CopiedSheet>& copied, const BookRefs& refs, RepointResult& list,
                    const NewWorkbook& newWorkbook) {
    if (copied.isEmpty())
        return;
    // A copied sheet's own name that refers to a sheet not copied takes its
    // value in the book; the copy has the name already, so the value is set
    // once the output's sheets are all in place (see SetPendingNames).
    if (!refs.notCopied.isEmpty()) {
        for (const CopiedSheet& s : copied) {
            QList<sheet::DefinedName> local;
            Tolerant([&] { local = SourceOf(source, s)->LocalNames(); });
            for (const sheet::DefinedName& n : local) {
                if (!NameRefersToNotCopied(n.content, refs.notCopied))
                    continue;
                const QString entry = NameEntry(s.copy->Name() + QLatin1Char('!') + n.name);
                if (const std::optional<QString> constant =
                        ConstantForName(source, n.content, refs.notCopied, newWorkbook)) {
                    list.keptValues << entry;
                    list.names.append({s.copy, {n.name, *constant}, entry});
                } else {
                    list.refused << entry;
                }
            }
        }
    }
    const QList<sheet::DefinedName> names = source.Names();
    if (names.isEmpty())
        return;
    QHash<QString, QString> outputNames;
    for (const sheet::DefinedName& n : output.Names())
        outputNames.insert(n.name.toUpper(), n.content);
    QList<sheet::DefinedName> own;
    for (const sheet::DefinedName& n : names) {
        Scan scan;
        QString content = Rewrite(n.content, refs.renames, {}, &scan);
        // One that refers to a sheet not copied takes its value in the book.
        if (AnyOf(scan.sheets, refs.notCopied)) {
            if (const std::optional<QString> constant =
                    ConstantForName(source, n.content, refs.notCopied, newWorkbook)) {
                content = *constant;
                list.keptValues << NameEntry(n.name);
            } else {
                list.refused << NameEntry(n.name);
            }
        }
        const auto there = outputNames.constFind(n.name.toUpper());
        if (there != outputNames.constEnd() && there.value() == content)
            continue; // the output's name means the same
        own.append({n.name, content});
    }
    if (own.isEmpty())
        return;
    for (const CopiedSheet& s : copied) {
        // A sheet's own name of the source goes before the book's.
        QSet<QString> local;
        Tolerant([&] {
            for (const sheet::DefinedName& n : s.copy->LocalNames())
                local.insert(n.name.toUpper());
        });
        for (const sheet::DefinedName& n : own)
            if (!local.contains(n.name.toUpper()))
                list.names.append({s.copy, n, QString()});
    }
}

RepointResult KeepDataOfCharts(const QList<std::shared_ptr<sheet::Worksheet>>& sheets,
                               const QSet<QString>& leftOut, QSet<QString>* given) {
    RepointResult result;
    for (const std::shared_ptr<sheet::Worksheet>& sheet : sheets) {
        QList<sheet::ChartData> charts;
        Tolerant([&] { charts = sheet->Charts(); });
        for (const sheet::ChartData& chart : charts) {
            bool plots = false;
            for (const QString& range : chart.ranges) {
                Scan scan;
                Rewrite(range, {}, {}, &scan);
                plots = plots || AnyOf(scan.sheets, leftOut);
            }
            if (!plots)
                continue;
            const QString entry = ChartEntry(sheet->Name(), chart.name);
            if (Tolerant([&] { sheet->KeepChartData(chart.name); })) {
                result.keptValues << entry;
                if (given)
                    given->insert(sheet->Name() + QLatin1Char('!') + chart.name);
            } else {
                result.refused << entry;
            }
        }
    }
    return result;
}

int RepointCopiedCharts(sheet::Workbook& source, const QList<CopiedSheet>& copied,
                        const BookRefs& refs, RepointResult* listed,
                        const QSet<QString>& givenData) {
    int changed = 0;
    for (const CopiedSheet& s : copied) {
        QList<sheet::ChartData> sourceCharts;
        if (!Tolerant([&] { sourceCharts = SourceOf(source, s)->Charts(); }) ||
            sourceCharts.isEmpty())
            continue;
        QList<sheet::ChartData> copyCharts;
        if (!Tolerant([&] { copyCharts = s.copy->Charts(); }))
            continue;
        for (qsizetype i = 0; i < sourceCharts.size(); ++i) {
            // The copy's chart of the same name, else the one at the same place.
            const sheet::ChartData* target = nullptr;
            for (const sheet::ChartData& c : copyCharts)
                if (c.name == sourceCharts[i].name)
                    target = &c;
            if (!target && i < copyCharts.size())
                target = &copyCharts[i];
            if (!target)
                continue;
            if (givenData.contains(s.sourceName + QLatin1Char('!') + sourceCharts[i].name)) {
                // It holds its numbers and needs no ranges.
                if (listed)
                    listed->keptValues << ChartEntry(s.copy->Name(), target->name);
                continue;
            }
            QStringList wanted;
            bool plotsOtherSheets = false;
            for (const QString& range : sourceCharts[i].ranges) {
                Scan scan;
                wanted << Rewrite(range, refs.renames, {}, &scan);
                plotsOtherSheets = plotsOtherSheets || AnyOf(scan.sheets, refs.notCopied);
            }
            if (plotsOtherSheets && listed)
                listed->refused << ChartEntry(s.copy->Name(), target->name);
            if (plotsOtherSheets || wanted == target->ranges)
                continue;
            if (Tolerant([&] { s.copy->SetChartRanges(target->name, wanted); }))
                ++changed;
        }
    }
    return changed;
}

} // namespace bookmrg
