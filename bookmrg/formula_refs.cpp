#include "bookmrg/formula_refs.h"

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

} // namespace

std::optional<QString> RepointSheetRefs(const QString& formula, const SheetRenames& renames) {
    QString out;
    out.reserve(formula.size() + 16);
    bool changed = false;
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
        if (c == QLatin1Char('\'')) {
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
        const auto renamed = renames.constFind(name);
        if (isSheetRef && !otherFile && renamed != renames.constEnd()) {
            out += Quoted(renamed.value());
            changed = true;
        } else {
            out += QStringView(formula).mid(i, end - i);
        }
        i = end;
    }
    if (!changed)
        return std::nullopt;
    return out;
}

int RepointCopiedFormulas(sheet::Workbook& source, const QList<CopiedSheet>& copied) {
    SheetRenames renames;
    for (const CopiedSheet& s : copied)
        renames.insert(s.sourceName, s.copy->Name());
    int set = 0;
    for (const CopiedSheet& s : copied) {
        QList<sheet::FormulaCell> formulas;
        try {
            formulas = source.Worksheets(s.sourceName)->Formulas();
        } catch (const sheet::SheetError& error) {
            if (error.Number() == sheet::kErrServerGone)
                throw;
            continue;
        }
        QList<sheet::FormulaCell> repointed;
        for (const sheet::FormulaCell& cell : formulas)
            if (const std::optional<QString> f = RepointSheetRefs(cell.formula, renames))
                repointed.append({cell.row, cell.column, *f});
        if (repointed.isEmpty())
            continue;
        try {
            s.copy->SetFormulas(repointed);
            set += int(repointed.size());
        } catch (const sheet::SheetError& error) {
            if (error.Number() == sheet::kErrServerGone)
                throw;
        }
    }
    return set;
}

} // namespace bookmrg
