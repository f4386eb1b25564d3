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

std::optional<QString> ConstantForName(sheet::Workbook& book, const QString& content,
                                       const QSet<QString>& notCopied) {
    // "$Memo.$B$2", "'Memo 2'.B2": one cell of one sheet.
    static const QRegularExpression oneCell(
        QStringLiteral(R"(^\$?('(?:[^']|'')+'|[^.'$]+)\.(\$?[A-Za-z]{1,3}\$?[0-9]+)$)"));
    const QRegularExpressionMatch m = oneCell.match(content.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    QString sheetName = m.captured(1);
    if (sheetName.startsWith(QLatin1Char('\''))) {
        sheetName = sheetName.mid(1, sheetName.size() - 2);
        sheetName.replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    if (!notCopied.contains(sheetName))
        return std::nullopt;
    std::optional<QString> constant;
    Tolerant([&] {
        constant = ConstantText(book.Worksheets(sheetName)->Range(m.captured(2))->Value());
    });
    return constant;
}

bool NameRefersToNotCopied(const QString& content, const QSet<QString>& notCopied) {
    BookRefs refs;
    refs.notCopied = notCopied;
    return RefersToNotCopied(content, refs);
}

RepointResult KeepValuesOfNames(sheet::Workbook& book,
                                const QList<std::shared_ptr<sheet::Worksheet>>& kept,
                                const QSet<QString>& leftOut,
                                const std::function<void()>& deleteLeftOut) {
    RepointResult result;
    // The values are read while the sheets are there; the names take them
    // once the sheets are gone.
    QList<sheet::DefinedName> values;
    QList<sheet::DefinedName> bookNames;
    Tolerant([&] { bookNames = book.Names(); });
    for (const sheet::DefinedName& n : bookNames) {
        if (!NameRefersToNotCopied(n.content, leftOut))
            continue;
        if (const std::optional<QString> constant = ConstantForName(book, n.content, leftOut))
            values.append({n.name, *constant});
        else
            result.refused << NameEntry(n.name);
    }
    // A sheet's own name keeps what it has: a saved classic workbook loses
    // the link of the formulas to a sheet's own name whose content changed.
    for (const std::shared_ptr<sheet::Worksheet>& sheet : kept) {
        QList<sheet::DefinedName> local;
        Tolerant([&] { local = sheet->LocalNames(); });
        for (const sheet::DefinedName& n : local)
            if (NameRefersToNotCopied(n.content, leftOut))
                result.refused << NameEntry(sheet->Name() + QLatin1Char('!') + n.name);
    }
    deleteLeftOut();
    for (const sheet::DefinedName& n : values)
        (Tolerant([&] { book.SetName(n); }) ? result.keptValues : result.refused)
            << NameEntry(n.name);
    return result;
}

void CarryBookNames(sheet::Workbook& source, sheet::Workbook& output,
                    const QList<CopiedSheet>& copied, BookRefs& refs, RepointResult* listed) {
    if (copied.isEmpty())
        return;
    RepointResult unused;
    RepointResult& list = listed ? *listed : unused;
    // A name that refers to a sheet not copied cannot be kept in the copies
    // (a saved classic workbook loses the link of their formulas to a name
    // given a new content): such names are listed for the user to check.
    if (!refs.notCopied.isEmpty()) {
        for (const CopiedSheet& s : copied) {
            QList<sheet::DefinedName> local;
            Tolerant([&] { local = SourceOf(source, s)->LocalNames(); });
            for (const sheet::DefinedName& n : local)
                if (NameRefersToNotCopied(n.content, refs.notCopied))
                    list.refused << NameEntry(s.copy->Name() + QLatin1Char('!') + n.name);
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
        const QString content = Rewrite(n.content, refs.renames, {}, &scan);
        if (AnyOf(scan.sheets, refs.notCopied))
            list.refused << NameEntry(n.name);
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
                Tolerant([&] { s.copy->SetLocalName(n); });
    }
    for (const sheet::DefinedName& n : own)
        refs.ownNames.insert(n.name.toUpper());
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
