#pragma once

// An in-memory spreadsheet application for engine tests. Workbooks are kept
// as small JSON files on disk, so that the engines' own file work (copying a
// book, replacing a file) behaves as with real workbooks; every call of the
// object model is written to a readable log, and any call can be made to fail.
//
//   fakesheet::FakeOffice office;          // installs itself as the factory
//   fakesheet::WriteBook(path, {{"Sheet1", {{"A1", "x"}}}});
//   ... run the engine ...
//   office.Log();                          // "Workbooks.Open /t/a.xls", ...
//   fakesheet::ReadBook(out)->sheets[0].At("A3").link

#include "common/seam.h"
#include "spreadsheet/spreadsheet.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace fakesheet {

struct Cell {
    sheet::CellValue value;
    QString format;             // NumberFormatLocal, empty = General
    double fontSize = 0;        // 0 = not set
    int interior = 0;           // Interior.ColorIndex, 0 = none
    QString link;               // hyperlink: address + "#" + sub-address
    QString formula;            // empty when the cell holds no formula
    std::map<int, int> borders; // Borders(index) -> LineStyle

    QString Text() const; // the value as text ("" when empty)
};

struct Sheet {
    QString name;
    std::map<QString, Cell> cells; // by A1 address of a single cell
    bool autoFitted = false;
    // Content reaching at least this far, beyond the cells above (a big
    // sheet without writing its cells).
    sheet::CellExtent extent;
    QMap<QString, QString> localNames; // sheet-scoped names -> their content
    QMap<QString, QStringList> charts; // chart name -> the ranges it plots
    QSet<QString> chartsWithOwnData;   // charts that hold their numbers themselves

    fakesheet::Cell At(const QString& address) const; // empty cell when unset
};

struct Book {
    std::vector<Sheet> sheets;
    QMap<QString, QString> names;     // workbook-level names -> "Sheet!A1"
    QString password;                 // protected when not empty
    int fileFormat = sheet::xlNormal; // the format the file holds
    int activeSheet = 0;              // 0-based, as saved
    QString selection;                // address selected when saved

    QStringList SheetNames() const;
    const Sheet* Find(const QString& name) const;
};

// A book for tests: sheet names with a few cells each.
Book MakeBook(const std::vector<std::pair<QString, std::map<QString, sheet::CellValue>>>& sheets);

bool WriteBook(const QString& path, const Book& book);
// Empty when the file is missing or not a book.
std::optional<Book> ReadBook(const QString& path);

struct Failure {
    QString prefix; // a log line starting with this fails
    int skip = 0;   // matching calls that still succeed first
    sheet::SheetErrorKind kind = sheet::SheetErrorKind::Failed;
    QString description;
};

// The fake application's world: the call log, scripted failures and the
// number of applications created. Installs itself as the application factory
// while it lives (one at a time).
class FakeOffice {
public:
    FakeOffice();
    ~FakeOffice();
    FakeOffice(const FakeOffice&) = delete;
    FakeOffice& operator=(const FakeOffice&) = delete;

    // Makes the first (after skip) call whose log line starts with prefix
    // throw SheetError(kind, description).
    void FailOn(const QString& prefix, int skip = 0,
                sheet::SheetErrorKind kind = sheet::SheetErrorKind::Failed,
                const QString& description = QStringLiteral("テストによるエラー"));
    // Refuses copies into a workbook that already has this many sheets.
    void SetSheetLimit(int maxSheets) { sheetLimit_ = maxSheets; }
    // Makes creating the application fail.
    void FailCreate(bool fail = true) { failCreate_ = fail; }

    const QStringList& Log() const { return log_; }
    // Log lines starting with the prefix.
    QStringList Calls(const QString& prefix) const;
    void ClearLog() { log_.clear(); }
    int ApplicationsCreated() const { return created_; }
    // Applications created and not yet quit.
    int ApplicationsRunning() const { return running_; }

    // Used by the fake objects.
    void Record(const QString& line);
    int SheetLimit() const { return sheetLimit_; }
    void Created() { ++created_, ++running_; }
    void Ended() { --running_; }
    bool CreateFails() const { return failCreate_; }
    static FakeOffice* Current();

private:
    QStringList log_;
    std::vector<Failure> failures_;
    int sheetLimit_ = 0;
    int created_ = 0;
    int running_ = 0;
    bool failCreate_ = false;
    std::unique_ptr<common::ScopedOverride<sheet::ApplicationFactory>> factory_;
};

} // namespace fakesheet
