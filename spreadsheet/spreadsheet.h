#pragma once

// The spreadsheet application as the workbook-producing programs use it:
// application, workbooks, workbook, worksheets, ranges, hyperlinks and the
// global selection, with the member names of the application's object model.
// The product implementation drives LibreOffice Calc over UNO
// (spreadsheet/lo/); tests use an in-memory double (tests/support/).
//
// Every failing operation throws SheetError: an error number and a Japanese
// description (what the engines show), plus the backend's own text for
// details.

#include <QList>
#include <QString>
#include <QStringList>

#include <exception>
#include <memory>
#include <optional>
#include <variant>

// Declared in common/seam.h, which those who replace a collaborator include.
namespace common {
template <class T> class Seam;
} // namespace common

namespace sheet {

// What went wrong, as the backend tells it apart where the error is made.
// Callers decide by the kind, never by the text.
enum class SheetErrorKind {
    Failed,           // the operation failed for another reason
    Refused,          // the office refused a value or a step (name, formula, sheet limit)
    NoSuchItem,       // no workbook or sheet of that name or position
    FileMissing,      // the file to open does not exist
    Unreadable,       // the file is there but this user cannot read it
    NotWorkbook,      // the file is not a workbook, or it is damaged
    PasswordRequired, // a protected workbook without its password, or a wrong one
    CannotWrite,      // the file cannot be written
    OfficeLost,       // the application ended or stopped answering
    CannotStart,      // the application cannot be started
};

// Error numbers, those of the application's object model where one applies.
enum ErrorNumber : int {
    kErrSubscript = 9,       // NoSuchItem
    kErrPermission = 70,     // CannotWrite
    kErrServerGone = 462,    // OfficeLost
    kErrCannotStart = 429,   // CannotStart
    kErrMethodFailed = 1004, // every other kind
};

// The error number the engines show for an error of that kind.
int ErrorNumberOf(SheetErrorKind kind);

class SheetError : public std::exception {
public:
    SheetError(SheetErrorKind kind, QString description, QString detail = {});
    SheetErrorKind Kind() const { return kind_; }
    int Number() const { return ErrorNumberOf(kind_); }
    // Japanese, for the user.
    const QString& Description() const { return description_; }
    // The backend's own message, for details; may be empty.
    const QString& Detail() const { return detail_; }
    // "number description", as the engines show an error.
    QString Text() const;
    const char* what() const noexcept override { return what_.c_str(); }

private:
    SheetErrorKind kind_;
    QString description_;
    QString detail_;
    std::string what_;
};

inline bool IsPasswordRequired(const SheetError& error) {
    return error.Kind() == SheetErrorKind::PasswordRequired;
}
inline bool IsOfficeLost(const SheetError& error) {
    return error.Kind() == SheetErrorKind::OfficeLost;
}

// Constants of the object model used by the callers.
enum : int {
    xlDiagonalDown = 5,
    xlDiagonalUp = 6,
    xlEdgeLeft = 7,
    xlEdgeTop = 8,
    xlEdgeBottom = 9,
    xlEdgeRight = 10,
    xlLineStyleNone = -4142,
    xlContinuous = 1,
    xlThin = 2,
    xlAutomatic = -4105,
    xlSolid = 1,
    // File formats (Workbook.FileFormat, SaveAs FileFormat).
    xlNormal = -4143,                   // classic workbook (.xls)
    xlOpenXMLWorkbook = 51,             // .xlsx
    xlOpenXMLWorkbookMacroEnabled = 52, // .xlsm
    xlOpenDocumentSpreadsheet = 60,     // .ods
};

// The classic format's sheet size and sheet-name length.
inline constexpr int kClassicMaxRows = 65536;
inline constexpr int kClassicMaxColumns = 256;
inline constexpr int kMaxSheetNameLength = 31;

// The extension a file format is saved with ("xls", "xlsx", ...); empty for
// a number that is not one of the formats above.
QString FileFormatExtension(int fileFormat);
// The format a file name asks for by its extension (letter case ignored):
// xlNormal for ".xls", 0 for an extension that names none of the formats.
int FileFormatOfName(const QString& fileName);

// The last row and column of a sheet that hold content (values, texts,
// formulas, notes); 0 and 0 for an empty sheet.
struct CellExtent {
    int rows = 0;
    int columns = 0;
};

// A cell value: empty, a number or a text. Texts stay texts ("00123" and
// "2024" are not turned into numbers).
using CellValue = std::variant<std::monostate, double, QString>;

// A formula cell of a sheet (1-based position). Formulas are written in the
// office's own notation: a reference to another sheet of the same workbook is
// Name.A1 or $'Sheet name'.A1 (apostrophes doubled), one to a sheet of
// another file 'file:///folder/book.xls'#$Name.A1.
struct FormulaCell {
    int row = 0;
    int column = 0;
    QString formula;
    // An array formula covers arrayRows x arrayColumns cells from this one
    // (its top-left cell); 0 for an ordinary formula.
    int arrayRows = 0;
    int arrayColumns = 0;
};

// A defined name and what it stands for, in the notation of FormulaCell
// without the leading "=" ("$Data.$B$1", "0.2").
struct DefinedName {
    QString name;
    QString content;
};

// A chart on a sheet: its object name and the cell ranges it plots, in the
// notation of FormulaCell ("$Data.$A$1:$B$5").
struct ChartData {
    QString name;
    QStringList ranges;
    // The chart holds the numbers it plots itself (see KeepChartData); its
    // ranges are empty then.
    bool ownData = false;
};

struct BorderFormat {
    int lineStyle = xlContinuous;
    int weight = xlThin;
    int colorIndex = xlAutomatic;
};

struct InteriorFormat {
    int colorIndex = xlAutomatic;
    int pattern = xlSolid;
    int patternColorIndex = xlAutomatic;
};

class Range {
public:
    virtual ~Range() = default;
    // A1-style address of the range on its sheet ("B3", "D2:D18").
    virtual QString Address() const = 0;
    virtual CellValue Value() const = 0;
    virtual void SetValue(const CellValue& value) = 0;
    // Puts a formula (in the notation of FormulaCell) into every cell of the
    // range; a formula the office cannot read throws.
    virtual void SetFormula(const QString& formula) = 0;
    // Value = array: the rows of the range from its top-left cell, in one
    // call; the array must have the range's shape. Texts stay texts (a
    // leading apostrophe is dropped as by SetValue); an empty value empties
    // its cell.
    virtual void SetValues(const QList<QList<CellValue>>& rows) = 0;
    void SetValue(double v) { SetValue(CellValue(v)); }
    void SetValue(const QString& v) { SetValue(CellValue(v)); }
    void SetValue(const char16_t* v) { SetValue(CellValue(QString::fromUtf16(v))); }
    // "0%", "@" (text), "General"...
    virtual QString NumberFormatLocal() const = 0;
    virtual void SetNumberFormatLocal(const QString& format) = 0;
    // Makes this range the application's selection (and its sheet active).
    virtual void Select() = 0;
    virtual void SetFontSize(double points) = 0;
    // Borders(index) of the range: index is xlDiagonalDown ... xlEdgeRight.
    virtual void SetBorder(int index, const BorderFormat& format) = 0;
    // Interior: ColorIndex of the classic 56-colour palette, Pattern,
    // PatternColorIndex.
    virtual void SetInterior(const InteriorFormat& format) = 0;
    // EntireColumn.AutoFit: fits the width of every column the range touches
    // to its content.
    virtual void AutoFitColumns() = 0;
};

class Worksheet;

class Hyperlinks {
public:
    virtual ~Hyperlinks() = default;
    // Hyperlinks.Add(Anchor, Address, SubAddress, TextToDisplay). An empty
    // address with a sub-address "'Sheet name'!B1" links to a cell of a sheet
    // of the same workbook. A display text starting with an apostrophe puts
    // the rest into the cell as text.
    virtual void Add(Range& anchor, const QString& address, const QString& subAddress,
                     const QString& textToDisplay) = 0;
};

enum class Where { Before, After };

class Worksheet {
public:
    virtual ~Worksheet() = default;
    virtual QString Name() const = 0;
    // Renames the sheet; a name already used in the workbook, or one the
    // application refuses, throws.
    virtual void SetName(const QString& name) = 0;
    // Deletes the sheet without a question. The last sheet cannot be deleted.
    virtual void Delete() = 0;
    virtual void Activate() = 0;
    // Copy Before/After := target (a sheet of another, or the same,
    // workbook). The copy keeps the name or gets a unique one; it becomes the
    // active sheet and is returned. A copy into another workbook stays hidden
    // when the sheet is, keeps its charts and keeps its links to other files
    // with their cached values; references to other sheets and the
    // workbook's names are resolved in the target (callers that copy several
    // sheets of a book point them at the copies, see Formulas, LocalNames
    // and Charts).
    // With `withPageSetup`, a copy into another workbook also takes the
    // sheet's page setup (orientation, scale, margins) along; it costs time
    // for every sheet, so only callers that print or merge ask for it.
    virtual std::shared_ptr<Worksheet> Copy(Where where, Worksheet& target,
                                            bool withPageSetup = false) = 0;
    // Cells(row, column), 1-based.
    virtual std::shared_ptr<::sheet::Range> Cells(int row, int column) = 0;
    // All cells of the sheet (Cells without arguments).
    virtual std::shared_ptr<::sheet::Range> AllCells() = 0;
    // Range("B3"), Range("D2:D18") or Range("<workbook-level name>").
    virtual std::shared_ptr<::sheet::Range> Range(const QString& addressOrName) = 0;
    virtual ::sheet::Hyperlinks& Hyperlinks() = 0;
    // Every formula cell of the sheet, row by row; an array formula once, at
    // its top-left cell.
    virtual QList<FormulaCell> Formulas() = 0;
    // The part of the sheet that holds content (UsedRange without the cells
    // that are only formatted).
    virtual CellExtent ContentExtent() = 0;
    // Puts each formula into its cell, as Cells(row, column).SetFormula
    // would; neighbouring cells go together in one call. An array formula
    // is entered over its whole area.
    virtual void SetFormulas(const QList<FormulaCell>& cells) = 0;
    // Names that hold on this sheet only (sheet-scoped); they take precedence
    // over workbook-level names of the same name in the sheet's formulas.
    virtual QList<DefinedName> LocalNames() = 0;
    // Adds or replaces a sheet-scoped name.
    virtual void SetLocalName(const DefinedName& name) = 0;
    // The charts placed on the sheet, and a new set of ranges for one of
    // them (the series keep their look).
    virtual QList<ChartData> Charts() = 0;
    virtual void SetChartRanges(const QString& chart, const QStringList& ranges) = 0;
    // Lets a chart keep the numbers it shows now, whatever becomes of the
    // cells it plots (a sheet about to be removed, or one not copied along):
    // the chart holds them itself from now on, and so do its copies. Saved in
    // the classic format, whose charts read numbers from cells only, they
    // are put on a hidden sheet named after the sheet they came from.
    virtual void KeepChartData(const QString& chart) = 0;
};

class Workbook {
public:
    virtual ~Workbook() = default;
    // The file name without folder ("BOOKMRGX.EXL"), or "Book1"... for an
    // added workbook not yet saved.
    virtual QString Name() const = 0;
    // Sheets.Count.
    virtual int SheetCount() const = 0;
    // The workbook-level names.
    virtual QList<DefinedName> Names() = 0;
    // Adds or replaces a workbook-level name; formulas that use a replaced
    // name read its new content.
    virtual void SetName(const DefinedName& name) = 0;
    // While held (calls nest), names set in this workbook (SetName,
    // Worksheet::SetLocalName) have the formulas that use names compiled
    // again once, when the last hold ends, instead of once a name.
    virtual void HoldNameUpdates(bool hold) { (void)hold; }
    // Worksheets(index), 1-based.
    virtual std::shared_ptr<Worksheet> Worksheets(int index) = 0;
    // Worksheets(name); letter case is ignored as the application does.
    virtual std::shared_ptr<Worksheet> Worksheets(const QString& name) = 0;
    // FileFormat: the format the workbook was read in, found by its content
    // (a workbook named .xls may hold another format); xlNormal for an added
    // workbook and for the older classic formats.
    virtual int FileFormat() const = 0;
    // SaveAs(FileName, FileFormat, Password): in the classic workbook format
    // (.xls) unless another format is given. A name without extension gets
    // the format's extension; an existing file is replaced. A password
    // protects the saved file with it (opening asks for it). A file that
    // cannot be written throws; the previous file stays intact.
    virtual void SaveAs(const QString& fileName, int fileFormat = xlNormal,
                        const QString& password = QString()) = 0;
    // Closes without saving.
    virtual void Close() = 0;
};

struct OpenOptions {
    // A file that this user cannot write is opened read-only in any case.
    bool readOnly = false;
    // Password of a protected workbook; empty when none is known. Opening a
    // protected workbook without its password throws.
    QString password;
};

class Workbooks {
public:
    virtual ~Workbooks() = default;
    // Opens a workbook; it becomes the active workbook. A missing file, a
    // file that is not a workbook and a protected workbook without its
    // password throw. A path without extension that does not exist is tried
    // with ".xls" as the application does.
    virtual std::shared_ptr<Workbook> Open(const QString& fileName,
                                           const OpenOptions& options = {}) = 0;
    // A new empty workbook with one sheet "Sheet1"; it becomes active.
    virtual std::shared_ptr<Workbook> Add() = 0;
};

class Application {
public:
    virtual ~Application() = default;
    // The instance is private and hidden and never asks for confirmation.
    virtual ::sheet::Workbooks& Workbooks() = 0;
    virtual std::shared_ptr<Worksheet> ActiveSheet() = 0;
    // The range last selected (null before any selection).
    virtual std::shared_ptr<Range> Selection() = 0;
    // Ends the instance; every open workbook is closed without saving.
    virtual void Quit() = 0;
};

// Creates the application ("EXCEL.application"): a new private instance.
// Throws SheetError when it cannot be started, or when no backend has been
// installed (the programs install LibreOffice, sheet::lo::InstallBackend();
// tests install the in-memory double).
std::unique_ptr<Application> CreateApplication();

// Closes the workbook without saving and drops it. A failure is ignored: a
// workbook that cannot be closed goes with its application.
void CloseQuietly(std::shared_ptr<Workbook>& book) noexcept;
// Quits the application and drops it; one that has ended already or no
// longer answers needs no quitting.
void QuitQuietly(std::unique_ptr<Application>& app) noexcept;

// Opens a workbook template shipped with the programs. Always read-only: the
// program folder is normally not writable, the application refuses to open a
// write-protected file for writing, and a template is never saved.
std::shared_ptr<Workbook> OpenTemplate(Workbooks& books, const QString& fileName);

// The first line of the message about a template that could not be opened:
// "必要な下記ファイルがありません。" only when the file is really missing;
// a file that is there but cannot be read or is refused says so instead.
QString TemplateProblem(const QString& fileName);

using ApplicationFactory = std::unique_ptr<Application> (*)();
// The factory CreateApplication uses, replaced with common::ScopedOverride
// (the backend, sheet::lo::InstallBackend(), or a test's double); by default
// none: CreateApplication throws.
common::Seam<ApplicationFactory>& ApplicationFactorySeam();

} // namespace sheet
