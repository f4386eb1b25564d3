#include "fake_spreadsheet.h"

#include "spreadsheet/cell_address.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <memory>
#include <stdexcept>

namespace fakesheet {

using sheet::CellValue;
using sheet::SheetError;
using Kind = sheet::SheetErrorKind;

namespace {

FakeOffice* g_current = nullptr;

QByteArray ClassicSignature() {
    return QByteArray::fromHex("D0CF11E0A1B11AE1");
}

QString ValueText(const CellValue& v) {
    if (const double* d = std::get_if<double>(&v))
        return QString::number(*d, 'g', 15);
    if (const QString* s = std::get_if<QString>(&v))
        return *s;
    return QString();
}

QString ValueLog(const CellValue& v) {
    if (std::holds_alternative<QString>(v))
        return QLatin1Char('"') + std::get<QString>(v) + QLatin1Char('"');
    if (std::holds_alternative<double>(v))
        return ValueText(v);
    return QStringLiteral("Empty");
}

struct Rect {
    int r1 = 1, c1 = 1, r2 = 1, c2 = 1;
};

bool ParseCell(const QString& text, int& row, int& col) {
    QString t = text;
    t.remove(QLatin1Char('$'));
    int i = 0;
    col = 0;
    while (i < t.size() && t[i].isLetter() && t[i].unicode() < 128) {
        col = col * 26 + (t[i].toUpper().unicode() - 'A' + 1);
        ++i;
    }
    bool ok = false;
    row = t.mid(i).toInt(&ok);
    return i > 0 && ok && row > 0 && col > 0 && i < t.size() && t[i].isDigit();
}

std::optional<Rect> ParseAddress(const QString& address) {
    const QStringList parts = address.split(QLatin1Char(':'));
    Rect r;
    if (parts.size() == 1 && ParseCell(parts[0], r.r1, r.c1)) {
        r.r2 = r.r1;
        r.c2 = r.c1;
        return r;
    }
    if (parts.size() == 2 && ParseCell(parts[0], r.r1, r.c1) && ParseCell(parts[1], r.r2, r.c2))
        return r;
    return std::nullopt;
}

// ------------------------------------------------------------ JSON files

QJsonValue ToJson(const CellValue& v) {
    if (const double* d = std::get_if<double>(&v))
        return *d;
    if (const QString* s = std::get_if<QString>(&v))
        return *s;
    return QJsonValue();
}

CellValue FromJson(const QJsonValue& v) {
    if (v.isDouble())
        return v.toDouble();
    if (v.isString())
        return v.toString();
    return CellValue();
}

// ------------------------------------------------------------ live objects

struct LiveBook {
    std::vector<std::shared_ptr<Sheet>> sheets;
    QMap<QString, QString> names;
    int fileFormat = sheet::xlNormal;
    QString name;
    QString fullName;
    int activeSheet = 0;
    QString selection;
    bool closed = false;
};

struct World {
    std::vector<std::shared_ptr<LiveBook>> books;
    std::weak_ptr<LiveBook> activeBook;
    int added = 0;
    bool quit = false;
};

FakeOffice& Office() {
    if (!g_current)
        throw SheetError(Kind::OfficeLost, QStringLiteral("FakeOffice がありません。"));
    return *g_current;
}

void Rec(const QString& line) {
    Office().Record(line);
}

class FakeWorksheet;

class FakeRange : public sheet::Range, public std::enable_shared_from_this<FakeRange> {
public:
    FakeRange(std::shared_ptr<FakeWorksheet> owner, std::shared_ptr<World> w,
              std::shared_ptr<LiveBook> b, std::shared_ptr<Sheet> s, Rect r, QString label)
        : owner_(std::move(owner)), world_(std::move(w)), book_(std::move(b)), sheet_(std::move(s)),
          rect_(r), label_(std::move(label)) {}

    QString Address() const override {
        return sheet::A1Address(rect_.r1, rect_.c1, rect_.r2, rect_.c2);
    }
    CellValue Value() const override {
        Rec(Prefix() + QStringLiteral(".Value"));
        return sheet_->At(sheet::A1Address(rect_.r1, rect_.c1, rect_.r1, rect_.c1)).value;
    }
    void SetValue(const CellValue& value) override {
        Rec(Prefix() + QStringLiteral(".Value = ") + ValueLog(value));
        CellValue stored = value;
        if (const QString* s = std::get_if<QString>(&value))
            stored = sheet::WithoutTextPrefix(*s);
        Each([&](Cell& c) { c.value = stored; });
    }
    void SetFormula(const QString& formula) override {
        Rec(Prefix() + QStringLiteral(".Formula = ") + formula);
        Each([&](Cell& c) { c.formula = formula; });
    }
    void SetValues(const QList<QList<CellValue>>& rows) override {
        Rec(Prefix() + QStringLiteral(".Value = array %1 x %2")
                           .arg(rows.size())
                           .arg(rows.isEmpty() ? 0 : rows.first().size()));
        bool shaped = rows.size() == rect_.r2 - rect_.r1 + 1;
        for (const auto& row : rows)
            shaped = shaped && row.size() == rect_.c2 - rect_.c1 + 1;
        if (!shaped)
            throw SheetError(Kind::Failed, QStringLiteral("配列の大きさが範囲と違います。"));
        Each([](Cell&) {}); // a closed workbook throws
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < rows[r].size(); ++c) {
                CellValue stored = rows[r][c];
                if (const QString* s = std::get_if<QString>(&stored))
                    stored = sheet::WithoutTextPrefix(*s);
                const int row = rect_.r1 + r;
                const int column = rect_.c1 + c;
                Cell& cell = sheet_->cells[sheet::A1Address(row, column, row, column)];
                cell.value = stored;
                cell.formula.clear(); // a value replaces a formula
            }
        }
    }
    QString NumberFormatLocal() const override {
        return sheet_->At(sheet::A1Address(rect_.r1, rect_.c1, rect_.r1, rect_.c1)).format;
    }
    void SetNumberFormatLocal(const QString& format) override {
        Rec(Prefix() + QStringLiteral(".NumberFormatLocal = \"") + format + QLatin1Char('"'));
        Each([&](Cell& c) { c.format = format; });
    }
    void Select() override;
    void SetFontSize(double points) override {
        Rec(Prefix() + QStringLiteral(".Font.Size = ") + QString::number(points));
        Each([&](Cell& c) { c.fontSize = points; });
    }
    void SetBorder(int index, const sheet::BorderFormat& f) override {
        Rec(Prefix() + QStringLiteral(".Borders(%1) %2 %3 %4")
                           .arg(index)
                           .arg(f.lineStyle)
                           .arg(f.weight)
                           .arg(f.colorIndex));
        Each([&](Cell& c) { c.borders[index] = f.lineStyle; });
    }
    void SetInterior(const sheet::InteriorFormat& f) override {
        Rec(Prefix() + QStringLiteral(".Interior %1 %2 %3")
                           .arg(f.colorIndex)
                           .arg(f.pattern)
                           .arg(f.patternColorIndex));
        Each([&](Cell& c) { c.interior = f.colorIndex; });
    }
    void AutoFitColumns() override {
        Rec(Prefix() + QStringLiteral(".EntireColumn.AutoFit"));
        sheet_->autoFitted = true;
    }

    QString Prefix() const { return label_; }
    const std::shared_ptr<Sheet>& SheetData() const { return sheet_; }
    const std::shared_ptr<LiveBook>& BookData() const { return book_; }
    const Rect& Area() const { return rect_; }
    void SetLabel(const QString& label) { label_ = label; }

private:
    static constexpr int kMaxRows = 1000;
    static constexpr int kMaxColumns = 100;
    template <typename F> void Each(F f) {
        if (book_->closed || world_->quit)
            throw SheetError(Kind::OfficeLost, QStringLiteral("ブックは閉じられています。"));
        // Cells are kept one by one: a range beyond what a test needs is
        // refused rather than written in part.
        if (rect_.r2 - rect_.r1 >= kMaxRows || rect_.c2 - rect_.c1 >= kMaxColumns)
            throw std::length_error("the test double writes ranges of at most 1000 x 100 cells");
        for (int r = rect_.r1; r <= rect_.r2; ++r)
            for (int c = rect_.c1; c <= rect_.c2; ++c)
                f(sheet_->cells[sheet::A1Address(r, c, r, c)]);
    }

    std::shared_ptr<FakeWorksheet> owner_;
    std::shared_ptr<World> world_;
    std::shared_ptr<LiveBook> book_;
    std::shared_ptr<Sheet> sheet_;
    Rect rect_;
    QString label_;
};

struct Selection {
    std::shared_ptr<FakeRange> range;
};

class FakeWorksheet : public sheet::Worksheet, public std::enable_shared_from_this<FakeWorksheet> {
public:
    FakeWorksheet(std::shared_ptr<World> w, std::shared_ptr<LiveBook> b, std::shared_ptr<Sheet> s,
                  std::shared_ptr<Selection> sel,
                  std::shared_ptr<std::shared_ptr<FakeWorksheet>> active)
        : world_(std::move(w)), book_(std::move(b)), sheet_(std::move(s)), sel_(std::move(sel)),
          active_(std::move(active)), links_(*this) {}

    QString Name() const override { return sheet_->name; }
    void SetName(const QString& name) override {
        Rec(Label() + QStringLiteral(".Name = \"") + name + QLatin1Char('"'));
        for (const auto& s : book_->sheets)
            if (s != sheet_ && s->name.compare(name, Qt::CaseInsensitive) == 0)
                throw SheetError(Kind::Refused,
                                 QStringLiteral("シート名 '%1' は既に使われています。").arg(name));
        if (name.isEmpty() || name.size() > 31)
            throw SheetError(Kind::Refused, QStringLiteral("シート名が不正です。"));
        // Workbook-level names follow the sheet, as the application's do.
        for (auto it = book_->names.begin(); it != book_->names.end(); ++it) {
            if (sheet::SubAddressSheet(it.value()) == sheet_->name) {
                const QString cell = it.value().mid(it.value().lastIndexOf(QLatin1Char('!')) + 1);
                it.value() = QLatin1Char('\'') + name + QStringLiteral("'!") + cell;
            }
        }
        sheet_->name = name;
    }
    void Delete() override {
        Rec(Label() + QStringLiteral(".Delete"));
        Alive();
        if (book_->sheets.size() <= 1)
            throw SheetError(Kind::Refused,
                             QStringLiteral("ブックには少なくとも 1 枚のシートが必要です。"));
        auto it = std::find(book_->sheets.begin(), book_->sheets.end(), sheet_);
        book_->sheets.erase(it);
        if (*active_ && (*active_)->sheet_ == sheet_)
            active_->reset();
        if (sel_->range && sel_->range->SheetData() == sheet_)
            sel_->range.reset();
    }
    void Activate() override {
        Rec(Label() + QStringLiteral(".Activate"));
        Alive();
        MakeActive();
    }
    std::shared_ptr<sheet::Worksheet> Copy(sheet::Where where, sheet::Worksheet& target,
                                           bool = false) override {
        auto& dest = dynamic_cast<FakeWorksheet&>(target);
        Rec(Label() + QStringLiteral(".Copy ") +
            (where == sheet::Where::Before ? QStringLiteral("Before ") : QStringLiteral("After ")) +
            dest.book_->name + QLatin1Char('!') + dest.sheet_->name);
        Alive();
        dest.Alive();
        auto& destSheets = dest.book_->sheets;
        if (Office().SheetLimit() > 0 && int(destSheets.size()) >= Office().SheetLimit())
            throw SheetError(Kind::Refused, QStringLiteral("シートをコピーできません。"));
        auto copy = std::make_shared<Sheet>(*sheet_);
        QString name = sheet_->name;
        for (int n = 2;; ++n) {
            bool used = false;
            for (const auto& s : destSheets)
                used = used || s->name.compare(name, Qt::CaseInsensitive) == 0;
            if (!used)
                break;
            name = sheet_->name + QStringLiteral("_%1").arg(n);
        }
        copy->name = name;
        auto at = std::find(destSheets.begin(), destSheets.end(), dest.sheet_);
        if (where == sheet::Where::After)
            ++at;
        destSheets.insert(at, copy);
        // Names that refer to the copied sheet go along with it.
        for (auto it = book_->names.constBegin(); it != book_->names.constEnd(); ++it) {
            if (sheet::SubAddressSheet(it.value()) == sheet_->name &&
                !dest.book_->names.contains(it.key())) {
                QString ref = it.value();
                ref = QLatin1Char('\'') + name + QStringLiteral("'!") +
                      ref.mid(ref.lastIndexOf(QLatin1Char('!')) + 1);
                dest.book_->names.insert(it.key(), ref);
            }
        }
        auto made = std::make_shared<FakeWorksheet>(world_, dest.book_, copy, sel_, active_);
        made->MakeActive();
        return made;
    }
    std::shared_ptr<sheet::Range> Cells(int row, int column) override {
        if (row < 1 || column < 1)
            throw SheetError(Kind::Failed, QStringLiteral("セルが不正です。"));
        return Make(Rect{row, column, row, column},
                    QStringLiteral("Cells(%1, %2)").arg(row).arg(column));
    }
    std::shared_ptr<sheet::Range> AllCells() override {
        return Make(Rect{1, 1, 1048576, 16384}, QStringLiteral("Cells"));
    }
    std::shared_ptr<sheet::Range> Range(const QString& addressOrName) override {
        const QString label = QStringLiteral("Range(") + addressOrName + QLatin1Char(')');
        Alive();
        // Names are found whatever their letter case, as the office finds them.
        auto named = book_->names.constBegin();
        while (named != book_->names.constEnd() &&
               named.key().compare(addressOrName, Qt::CaseInsensitive) != 0)
            ++named;
        if (named != book_->names.constEnd()) {
            const QString ref = named.value();
            const QString sheetName = sheet::SubAddressSheet(ref);
            auto r = ParseAddress(ref.mid(ref.lastIndexOf(QLatin1Char('!')) + 1));
            for (const auto& s : book_->sheets)
                if (s->name == sheetName && r) {
                    auto owner = std::make_shared<FakeWorksheet>(world_, book_, s, sel_, active_);
                    return std::make_shared<FakeRange>(owner, world_, book_, s, *r, label);
                }
            throw SheetError(Kind::Failed,
                             QStringLiteral("範囲 '%1' がありません。").arg(addressOrName));
        }
        auto r = ParseAddress(addressOrName);
        if (!r)
            throw SheetError(Kind::Failed,
                             QStringLiteral("範囲 '%1' がありません。").arg(addressOrName));
        return Make(*r, label);
    }
    sheet::Hyperlinks& Hyperlinks() override { return links_; }
    sheet::CellExtent ContentExtent() override {
        Rec(Label() + QStringLiteral(".ContentExtent"));
        Alive();
        sheet::CellExtent extent = sheet_->extent;
        for (const auto& [address, cell] : sheet_->cells) {
            int row = 0;
            int column = 0;
            if (!std::holds_alternative<std::monostate>(cell.value) || !cell.formula.isEmpty())
                if (ParseCell(address, row, column)) {
                    extent.rows = std::max(extent.rows, row);
                    extent.columns = std::max(extent.columns, column);
                }
        }
        return extent;
    }
    QList<sheet::FormulaCell> Formulas() override {
        Rec(Label() + QStringLiteral(".Formulas"));
        Alive();
        QList<sheet::FormulaCell> out;
        for (const auto& [address, c] : sheet_->cells) {
            int row = 0, col = 0;
            if (!c.formula.isEmpty() && ParseCell(address, row, col))
                out.append({row, col, c.formula});
        }
        std::sort(out.begin(), out.end(), [](const auto& x, const auto& y) {
            return x.row != y.row ? x.row < y.row : x.column < y.column;
        });
        return out;
    }

    void SetFormulas(const QList<sheet::FormulaCell>& cells) override {
        Rec(Label() + QStringLiteral(".SetFormulas %1").arg(cells.size()));
        Alive();
        for (const sheet::FormulaCell& f : cells)
            sheet_->cells[sheet::A1Address(f.row, f.column, f.row, f.column)].formula = f.formula;
    }
    QList<sheet::DefinedName> LocalNames() override {
        Rec(Label() + QStringLiteral(".LocalNames"));
        Alive();
        QList<sheet::DefinedName> out;
        for (auto it = sheet_->localNames.constBegin(); it != sheet_->localNames.constEnd(); ++it)
            out.append({it.key(), it.value()});
        return out;
    }
    void SetLocalName(const sheet::DefinedName& name) override {
        Rec(Label() + QStringLiteral(".SetLocalName ") + name.name + QStringLiteral(" = ") +
            name.content);
        Alive();
        sheet_->localNames.insert(name.name, name.content);
    }
    QList<sheet::ChartData> Charts() override {
        Rec(Label() + QStringLiteral(".Charts"));
        Alive();
        QList<sheet::ChartData> out;
        for (auto it = sheet_->charts.constBegin(); it != sheet_->charts.constEnd(); ++it)
            out.append({it.key(), it.value(), sheet_->chartsWithOwnData.contains(it.key())});
        return out;
    }
    void KeepChartData(const QString& chart) override {
        Rec(Label() + QStringLiteral(".KeepChartData ") + chart);
        Alive();
        if (!sheet_->charts.contains(chart))
            throw SheetError(Kind::Failed, QStringLiteral("グラフ '%1' がありません。").arg(chart));
        sheet_->charts[chart].clear();
        sheet_->chartsWithOwnData.insert(chart);
    }
    void SetChartRanges(const QString& chart, const QStringList& ranges) override {
        Rec(Label() + QStringLiteral(".SetChartRanges ") + chart + QLatin1Char(' ') +
            ranges.join(QLatin1Char(';')));
        Alive();
        if (!sheet_->charts.contains(chart))
            throw SheetError(Kind::Failed, QStringLiteral("グラフ '%1' がありません。").arg(chart));
        sheet_->charts[chart] = ranges;
        sheet_->chartsWithOwnData.remove(chart);
    }

    void MakeActive() {
        world_->activeBook = book_;
        auto it = std::find(book_->sheets.begin(), book_->sheets.end(), sheet_);
        book_->activeSheet = int(it - book_->sheets.begin());
        *active_ = shared_from_this();
    }
    void Alive() const {
        if (world_->quit || book_->closed ||
            std::find(book_->sheets.begin(), book_->sheets.end(), sheet_) == book_->sheets.end())
            throw SheetError(Kind::OfficeLost,
                             QStringLiteral("シートは削除されたか閉じられています。"));
    }
    QString Label() const {
        return QStringLiteral("Worksheets(") + sheet_->name + QLatin1Char(')');
    }
    const std::shared_ptr<LiveBook>& BookData() const { return book_; }
    const std::shared_ptr<Sheet>& SheetData() const { return sheet_; }
    const std::shared_ptr<Selection>& Sel() const { return sel_; }

private:
    class Links : public sheet::Hyperlinks {
    public:
        explicit Links(FakeWorksheet& owner) : owner_(owner) {}
        void Add(sheet::Range& anchor, const QString& address, const QString& subAddress,
                 const QString& text) override {
            auto& r = dynamic_cast<FakeRange&>(anchor);
            Rec(QStringLiteral("Hyperlinks.Add ") + r.Address() + QStringLiteral(" \"") + address +
                QStringLiteral("\" \"") + subAddress + QStringLiteral("\" \"") + text +
                QLatin1Char('"'));
            owner_.Alive();
            Cell& c =
                r.SheetData()
                    ->cells[sheet::A1Address(r.Area().r1, r.Area().c1, r.Area().r1, r.Area().c1)];
            c.link = address + QLatin1Char('#') + subAddress;
            c.value = sheet::WithoutTextPrefix(text.isEmpty() ? subAddress : text);
        }

    private:
        FakeWorksheet& owner_;
    };

    std::shared_ptr<sheet::Range> Make(Rect r, const QString& label) {
        Alive();
        return std::make_shared<FakeRange>(shared_from_this(), world_, book_, sheet_, r, label);
    }

    std::shared_ptr<World> world_;
    std::shared_ptr<LiveBook> book_;
    std::shared_ptr<Sheet> sheet_;
    std::shared_ptr<Selection> sel_;
    std::shared_ptr<std::shared_ptr<FakeWorksheet>> active_;
    Links links_;
};

void FakeRange::Select() {
    Rec(Prefix() + QStringLiteral(".Select"));
    if (book_->closed || world_->quit)
        throw SheetError(Kind::OfficeLost, QStringLiteral("ブックは閉じられています。"));
    book_->selection = Address();
    owner_->MakeActive();
    owner_->Sel()->range = shared_from_this();
}

class FakeWorkbook : public sheet::Workbook {
public:
    FakeWorkbook(std::shared_ptr<World> w, std::shared_ptr<LiveBook> b,
                 std::shared_ptr<Selection> sel,
                 std::shared_ptr<std::shared_ptr<FakeWorksheet>> active)
        : world_(std::move(w)), book_(std::move(b)), sel_(std::move(sel)),
          active_(std::move(active)) {}

    QString Name() const override { return book_->name; }
    int SheetCount() const override { return int(book_->sheets.size()); }
    QList<sheet::DefinedName> Names() override {
        Rec(QStringLiteral("Workbooks(") + book_->name + QStringLiteral(").Names"));
        Alive();
        QList<sheet::DefinedName> out;
        for (auto it = book_->names.constBegin(); it != book_->names.constEnd(); ++it)
            out.append({it.key(), it.value()});
        return out;
    }
    void SetName(const sheet::DefinedName& name) override {
        Rec(QStringLiteral("Workbooks(") + book_->name + QStringLiteral(").SetName ") + name.name +
            QStringLiteral(" = ") + name.content);
        Alive();
        book_->names.insert(name.name, name.content);
    }
    std::shared_ptr<sheet::Worksheet> Worksheets(int index) override {
        Alive();
        if (index < 1 || index > SheetCount())
            throw SheetError(Kind::NoSuchItem,
                             QStringLiteral("インデックスが有効範囲にありません。"));
        return Wrap(book_->sheets[index - 1]);
    }
    std::shared_ptr<sheet::Worksheet> Worksheets(const QString& name) override {
        Alive();
        for (const auto& s : book_->sheets)
            if (s->name.compare(name, Qt::CaseInsensitive) == 0)
                return Wrap(s);
        throw SheetError(Kind::NoSuchItem, QStringLiteral("インデックスが有効範囲にありません。"));
    }
    int FileFormat() const override { return book_->fileFormat; }
    void SaveAs(const QString& fileName, int fileFormat, const QString& password) override {
        QString path = QFileInfo(fileName).absoluteFilePath();
        if (QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + sheet::FileFormatExtension(fileFormat);
        Rec(QStringLiteral("SaveAs ") + path +
            (fileFormat == sheet::xlNormal ? QString()
                                           : QStringLiteral(" FileFormat %1").arg(fileFormat)) +
            (password.isEmpty() ? QString() : QStringLiteral(" Password")));
        Alive();
        Book out;
        for (const auto& s : book_->sheets)
            out.sheets.push_back(*s);
        out.names = book_->names;
        out.activeSheet = book_->activeSheet;
        out.selection = book_->selection;
        out.fileFormat = fileFormat;
        out.password = password;
        if (QFileInfo(path).exists() && !QFileInfo(path).isWritable())
            throw SheetError(Kind::CannotWrite,
                             QStringLiteral("'%1' に保存できません。").arg(path));
        if (!WriteBook(path, out))
            throw SheetError(Kind::CannotWrite,
                             QStringLiteral("'%1' に保存できません。").arg(path));
        book_->name = QFileInfo(path).fileName();
        book_->fullName = path;
        book_->fileFormat = fileFormat;
    }
    void Close() override {
        Rec(QStringLiteral("Workbooks(") + book_->name + QStringLiteral(").Close"));
        if (book_->closed)
            return;
        book_->closed = true;
        auto& books = world_->books;
        books.erase(std::find(books.begin(), books.end(), book_));
        if (world_->activeBook.lock() == book_ || world_->activeBook.expired())
            world_->activeBook = books.empty() ? std::weak_ptr<LiveBook>() : books.back();
        if (*active_ && (*active_)->BookData() == book_)
            active_->reset();
        if (sel_->range && sel_->range->BookData() == book_)
            sel_->range.reset();
    }

    std::shared_ptr<FakeWorksheet> Wrap(const std::shared_ptr<Sheet>& s) {
        return std::make_shared<FakeWorksheet>(world_, book_, s, sel_, active_);
    }
    void Alive() const {
        if (world_->quit || book_->closed)
            throw SheetError(Kind::OfficeLost, QStringLiteral("ブックは閉じられています。"));
    }

private:
    std::shared_ptr<World> world_;
    std::shared_ptr<LiveBook> book_;
    std::shared_ptr<Selection> sel_;
    std::shared_ptr<std::shared_ptr<FakeWorksheet>> active_;
};

class FakeApplication : public sheet::Application, public sheet::Workbooks {
public:
    FakeApplication() { Office().Created(); }
    ~FakeApplication() override {
        if (!world_->quit && g_current)
            g_current->Ended();
    }

    sheet::Workbooks& Workbooks() override { return *this; }
    std::shared_ptr<sheet::Worksheet> ActiveSheet() override { return *active_; }
    std::shared_ptr<sheet::Range> Selection() override { return sel_->range; }
    void Quit() override {
        Rec(QStringLiteral("Quit"));
        if (world_->quit)
            return;
        world_->quit = true;
        world_->books.clear();
        Office().Ended();
    }

    // Workbooks
    std::shared_ptr<sheet::Workbook> Open(const QString& fileName,
                                          const sheet::OpenOptions& options) override {
        QString path = QFileInfo(fileName).absoluteFilePath();
        Rec(QStringLiteral("Workbooks.Open ") + path +
            (options.readOnly ? QStringLiteral(" ReadOnly") : QString()) +
            (options.password.isEmpty() ? QString() : QStringLiteral(" Password")));
        Alive();
        if (!QFileInfo(path).isFile() && QFileInfo(path).suffix().isEmpty() &&
            QFileInfo(path + QStringLiteral(".xls")).isFile())
            path += QStringLiteral(".xls");
        std::optional<Book> book = ReadBook(path);
        if (!book)
            throw SheetError(QFileInfo(path).isFile() ? Kind::NotWorkbook : Kind::FileMissing,
                             QStringLiteral("'%1' を開けません。").arg(path));

        if (!book->password.isEmpty() && book->password != options.password)
            throw SheetError(
                Kind::PasswordRequired,
                QStringLiteral("'%1' を開けません。パスワードで保護されています。").arg(path));
        const QString name = QFileInfo(path).fileName();
        for (const auto& b : world_->books)
            if (b->name.compare(name, Qt::CaseInsensitive) == 0)
                throw SheetError(
                    Kind::Refused,
                    QStringLiteral("同じ名前のブック '%1' は同時に開けません。").arg(name));
        auto live = std::make_shared<LiveBook>();
        for (const Sheet& s : book->sheets)
            live->sheets.push_back(std::make_shared<Sheet>(s));
        live->names = book->names;
        live->fileFormat = book->fileFormat;
        live->name = name;
        live->fullName = path;
        live->activeSheet = std::clamp(book->activeSheet, 0, int(live->sheets.size()) - 1);
        return Register(live);
    }
    std::shared_ptr<sheet::Workbook> Add() override {
        Rec(QStringLiteral("Workbooks.Add"));
        Alive();
        auto live = std::make_shared<LiveBook>();
        auto s = std::make_shared<Sheet>();
        s->name = QStringLiteral("Sheet1");
        live->sheets.push_back(s);
        live->name = QStringLiteral("Book%1").arg(++world_->added);
        return Register(live);
    }

private:
    std::shared_ptr<sheet::Workbook> Register(const std::shared_ptr<LiveBook>& live) {
        world_->books.push_back(live);
        world_->activeBook = live;
        auto wb = std::make_shared<FakeWorkbook>(world_, live, sel_, active_);
        wb->Wrap(live->sheets[live->activeSheet])->MakeActive();
        return wb;
    }
    std::shared_ptr<FakeWorkbook> WrapBook(const std::shared_ptr<LiveBook>& b) {
        return std::make_shared<FakeWorkbook>(world_, b, sel_, active_);
    }
    void Alive() const {
        if (world_->quit)
            throw SheetError(Kind::OfficeLost,
                             QStringLiteral("アプリケーションは終了しています。"));
    }

    std::shared_ptr<World> world_ = std::make_shared<World>();
    std::shared_ptr<struct Selection> sel_ = std::make_shared<struct Selection>();
    std::shared_ptr<std::shared_ptr<FakeWorksheet>> active_ =
        std::make_shared<std::shared_ptr<FakeWorksheet>>();
};

std::unique_ptr<sheet::Application> CreateFake() {
    if (Office().CreateFails()) {
        Rec(QStringLiteral("CreateObject !! error"));
        throw SheetError(Kind::CannotStart,
                         QStringLiteral("表計算アプリケーションを起動できません。"));
    }
    Rec(QStringLiteral("CreateObject"));
    return std::make_unique<FakeApplication>();
}

} // namespace

QString Cell::Text() const {
    return ValueText(value);
}

fakesheet::Cell Sheet::At(const QString& address) const {
    auto it = cells.find(address);
    return it == cells.end() ? fakesheet::Cell() : it->second;
}

QStringList Book::SheetNames() const {
    QStringList names;
    for (const Sheet& s : sheets)
        names << s.name;
    return names;
}

const Sheet* Book::Find(const QString& name) const {
    for (const Sheet& s : sheets)
        if (s.name == name)
            return &s;
    return nullptr;
}

Book MakeBook(const std::vector<std::pair<QString, std::map<QString, CellValue>>>& sheets) {
    Book book;
    for (const auto& [name, cells] : sheets) {
        Sheet s;
        s.name = name;
        for (const auto& [address, value] : cells)
            s.cells[address].value = value;
        book.sheets.push_back(s);
    }
    return book;
}

bool WriteBook(const QString& path, const Book& book) {
    QJsonArray sheets;
    for (const Sheet& s : book.sheets) {
        QJsonObject cells;
        for (const auto& [address, c] : s.cells) {
            QJsonObject o;
            o[QStringLiteral("v")] = ToJson(c.value);
            if (!c.format.isEmpty())
                o[QStringLiteral("f")] = c.format;
            if (c.fontSize != 0)
                o[QStringLiteral("font")] = c.fontSize;
            if (c.interior != 0)
                o[QStringLiteral("fill")] = c.interior;
            if (!c.link.isEmpty())
                o[QStringLiteral("link")] = c.link;
            if (!c.formula.isEmpty())
                o[QStringLiteral("formula")] = c.formula;
            QJsonObject borders;
            for (const auto& [index, style] : c.borders)
                borders[QString::number(index)] = style;
            if (!borders.isEmpty())
                o[QStringLiteral("borders")] = borders;
            cells[address] = o;
        }
        QJsonObject so;
        so[QStringLiteral("name")] = s.name;
        so[QStringLiteral("cells")] = cells;
        so[QStringLiteral("autofit")] = s.autoFitted;
        if (s.extent.rows > 0 || s.extent.columns > 0)
            so[QStringLiteral("extent")] = QJsonArray{s.extent.rows, s.extent.columns};
        QJsonObject localNames;
        for (auto it = s.localNames.constBegin(); it != s.localNames.constEnd(); ++it)
            localNames[it.key()] = it.value();
        if (!localNames.isEmpty())
            so[QStringLiteral("localNames")] = localNames;
        QJsonObject charts;
        for (auto it = s.charts.constBegin(); it != s.charts.constEnd(); ++it)
            charts[it.key()] = QJsonArray::fromStringList(it.value());
        if (!charts.isEmpty())
            so[QStringLiteral("charts")] = charts;
        if (!s.chartsWithOwnData.isEmpty())
            so[QStringLiteral("chartsWithOwnData")] = QJsonArray::fromStringList(
                QStringList(s.chartsWithOwnData.begin(), s.chartsWithOwnData.end()));
        sheets.append(so);
    }
    QJsonObject names;
    for (auto it = book.names.constBegin(); it != book.names.constEnd(); ++it)
        names[it.key()] = it.value();
    QJsonObject root;
    root[QStringLiteral("fakebook")] = 1;
    root[QStringLiteral("sheets")] = sheets;
    root[QStringLiteral("names")] = names;
    root[QStringLiteral("password")] = book.password;
    if (book.fileFormat != sheet::xlNormal)
        root[QStringLiteral("format")] = book.fileFormat;
    root[QStringLiteral("active")] = book.activeSheet;
    root[QStringLiteral("selection")] = book.selection;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A classic workbook starts as a compound document does, so that code
    // telling formats by their first bytes sees the same as with real files.
    if (book.fileFormat == sheet::xlNormal)
        file.write(ClassicSignature());
    file.write(QJsonDocument(root).toJson());
    return file.commit();
}

std::optional<Book> ReadBook(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(ClassicSignature()))
        bytes.remove(0, ClassicSignature().size());
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    const QJsonObject root = doc.object();
    if (!root.contains(QStringLiteral("fakebook")))
        return std::nullopt;
    Book book;
    for (const QJsonValue& sv : root[QStringLiteral("sheets")].toArray()) {
        const QJsonObject so = sv.toObject();
        Sheet s;
        s.name = so[QStringLiteral("name")].toString();
        s.autoFitted = so[QStringLiteral("autofit")].toBool();
        const QJsonArray extent = so[QStringLiteral("extent")].toArray();
        s.extent = {extent.at(0).toInt(), extent.at(1).toInt()};
        const QJsonObject localNames = so[QStringLiteral("localNames")].toObject();
        for (auto it = localNames.constBegin(); it != localNames.constEnd(); ++it)
            s.localNames.insert(it.key(), it.value().toString());
        const QJsonObject charts = so[QStringLiteral("charts")].toObject();
        for (auto it = charts.constBegin(); it != charts.constEnd(); ++it) {
            QStringList ranges;
            for (const QJsonValue& r : it.value().toArray())
                ranges << r.toString();
            s.charts.insert(it.key(), ranges);
        }
        for (const QJsonValue& c : so[QStringLiteral("chartsWithOwnData")].toArray())
            s.chartsWithOwnData.insert(c.toString());
        const QJsonObject cells = so[QStringLiteral("cells")].toObject();
        for (auto it = cells.constBegin(); it != cells.constEnd(); ++it) {
            const QJsonObject o = it.value().toObject();
            Cell c;
            c.value = FromJson(o[QStringLiteral("v")]);
            c.format = o[QStringLiteral("f")].toString();
            c.fontSize = o[QStringLiteral("font")].toDouble();
            c.interior = o[QStringLiteral("fill")].toInt();
            c.link = o[QStringLiteral("link")].toString();
            c.formula = o[QStringLiteral("formula")].toString();
            const QJsonObject borders = o[QStringLiteral("borders")].toObject();
            for (auto b = borders.constBegin(); b != borders.constEnd(); ++b)
                c.borders[b.key().toInt()] = b.value().toInt();
            s.cells[it.key()] = c;
        }
        book.sheets.push_back(s);
    }
    const QJsonObject names = root[QStringLiteral("names")].toObject();
    for (auto it = names.constBegin(); it != names.constEnd(); ++it)
        book.names.insert(it.key(), it.value().toString());
    book.password = root[QStringLiteral("password")].toString();
    book.fileFormat = root[QStringLiteral("format")].toInt(sheet::xlNormal);
    book.activeSheet = root[QStringLiteral("active")].toInt();
    book.selection = root[QStringLiteral("selection")].toString();
    return book;
}

// ------------------------------------------------------------ FakeOffice

namespace {
sheet::ApplicationFactory g_fakeFactory = &CreateFake;
} // namespace

FakeOffice::FakeOffice()
    : factory_(std::make_unique<common::ScopedOverride<sheet::ApplicationFactory>>(
          sheet::ApplicationFactorySeam(), &g_fakeFactory)) {
    g_current = this;
}

FakeOffice::~FakeOffice() {
    factory_.reset();
    if (g_current == this)
        g_current = nullptr;
}

FakeOffice* FakeOffice::Current() {
    return g_current;
}

void FakeOffice::FailOn(const QString& prefix, int skip, sheet::SheetErrorKind kind,
                        const QString& description) {
    failures_.push_back(Failure{prefix, skip, kind, description});
}

QStringList FakeOffice::Calls(const QString& prefix) const {
    QStringList out;
    for (const QString& line : log_)
        if (line.startsWith(prefix))
            out << line;
    return out;
}

void FakeOffice::Record(const QString& line) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (!line.startsWith(it->prefix))
            continue;
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        const Failure f = *it;
        failures_.erase(it);
        log_ << line + QStringLiteral(" !! error");
        throw SheetError(f.kind, f.description);
    }
    log_ << line;
}

} // namespace fakesheet
