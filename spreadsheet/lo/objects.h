#pragma once

// The object model over a private office instance.

#include "spreadsheet/classic_views.h"
#include "spreadsheet/lo/office.h"
#include "spreadsheet/lo/view_settings.h"
#include "spreadsheet/spreadsheet.h"

#include <com/sun/star/chart2/XChartDocument.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <QHash>
#include <QSet>

#include <functional>
#include <vector>

namespace sheet::lo {

class LoWorkbook;
class LoWorksheet;
class LoRange;

// State shared by every object of one application instance.
struct Session {
    std::unique_ptr<OfficeInstance> office;
    std::vector<std::shared_ptr<LoWorkbook>> books; // open workbooks, in opening order
    std::shared_ptr<LoWorksheet> activeSheet;
    std::shared_ptr<LoRange> selection;
    int addedBooks = 0;
    bool quit = false;
    // Changes whenever a sheet is renamed, added or removed: names and
    // positions cached by the sheet objects are valid for one generation.
    int generation = 0;

    void CheckOpen() const;
    void Forget(LoWorkbook* book);
};

// Runs an office call and turns its failures into SheetError: a lost
// connection is error 462, anything else 1004 with the given description.
void Call(const QString& whatFailed, const std::function<void()>& call);

class LoWorkbook : public Workbook, public std::enable_shared_from_this<LoWorkbook> {
public:
    LoWorkbook(std::shared_ptr<Session> session, Reference<css::lang::XComponent> doc, QString name,
               QString fullName);
    QString Name() const override { return name_; }
    QString FullName() const { return fullName_; }
    int SheetCount() const override;
    QList<DefinedName> Names() override;
    void SetName(const DefinedName& name) override;
    void HoldNameUpdates(bool hold) override;
    std::shared_ptr<Worksheet> Worksheets(int index) override;
    std::shared_ptr<Worksheet> Worksheets(const QString& name) override;
    int FileFormat() const override { return format_; }
    void SaveAs(const QString& fileName, int fileFormat, const QString& password) override;
    void Close() override;
    void SetFileFormat(int format) { format_ = format; }

    const Reference<css::sheet::XSpreadsheetDocument>& Doc() const { return doc_; }
    std::shared_ptr<LoWorksheet> SheetAt(int zeroBased, const QString& knownName = QString());
    std::shared_ptr<LoWorksheet> Wrap(const Reference<css::sheet::XSpreadsheet>& sheet,
                                      const QString& knownName = QString(), int knownIndex = -1);
    // The document's sheet collection (fetched once).
    const Reference<css::sheet::XSpreadsheets>& Sheets() const;
    // Key of a number format in this document (added when missing).
    sal_Int32 FormatKey(const QString& format);
    // The document's factory for fields and other contents (fetched once).
    const Reference<css::lang::XMultiServiceFactory>& Factory() const;
    Session& Sess() const { return *session_; }
    std::shared_ptr<Session> SessionPtr() const { return session_; }
    bool IsClosed() const { return !doc_.is(); }
    // The active workbook and sheet of the object model (workbooks have no
    // view to follow them).
    void MakeActiveSheet(const Reference<css::sheet::XSpreadsheet>& sheet);
    // Makes the document's drawing layer exist before sheets are copied in:
    // a workbook without one (made new, or loaded without drawings) drops
    // the charts and pictures of the sheets it takes in.
    void EnsureDrawLayer();
    // Whether the document has a drawing layer (charts, pictures, shapes);
    // a workbook without one has nothing that needs the target's.
    bool HasDrawLayer() const;
    bool DrawLayerReady() const { return drawLayer_; }
    // Gives `copy`, a sheet just copied in from `from`, the page setup of its
    // source.
    void CarryPageStyle(LoWorksheet& from, const Reference<css::sheet::XSpreadsheet>& copy);
    // Takes over the cached sheets and values of the links to other files
    // that `from` holds, once per source workbook: formulas of copied sheets
    // that refer to those files then keep their sheet names and values when
    // saved, without the files being read.
    void CarryExternalLinks(LoWorkbook& from);
    // Keeps the view settings of the sheets read from the file before the
    // first sheet is put in front of them or removed; SaveAs gives them back
    // to the same sheets (see view_settings.h). `leaving`, a sheet about to
    // be removed, gives up its settings.
    void KeepSheetViews(const Reference<css::sheet::XSpreadsheet>& leaving = {});
    BookViews& SheetViews() { return views_; }
    // Gives `copy`, a sheet just copied in from `from`, the view settings of
    // its source (grid lines, frozen panes, zoom) for the next save: those
    // the source's import kept, or those its classic file holds (see
    // view_settings.h).
    void CarrySheetView(LoWorksheet& from, const Reference<css::sheet::XSpreadsheet>& copy);
    // Charts that hold their numbers themselves (see Worksheet::KeepChartData
    // and chart_data.cpp): one given its own data here, with the sheet its
    // numbers came from; the copies of such charts in `copy`, a sheet just
    // copied in from `from`; and, before a save in the classic format, their
    // numbers put on hidden sheets for them to plot.
    void AddChartWithOwnData(const Reference<css::chart2::XChartDocument>& chart,
                             const QStringList& fromSheets);
    void CarryChartData(LoWorksheet& from, const Reference<css::sheet::XSpreadsheet>& copy);
    void PutChartDataOnSheets();

private:
    // Keeps `settings` for `copy`, a sheet copied in, until the save.
    void KeepCopiedView(const Reference<css::sheet::XSpreadsheet>& copy,
                        const css::uno::Sequence<css::beans::PropertyValue>& settings);
    // Puts the settings of the sheets copied in with those of this
    // workbook's own sheets, read now if they were not yet.
    void TakeCopiedViews();
    // The view settings in the file of a workbook read from a classic file,
    // read at the first call; none for other workbooks.
    const ClassicViews& ClassicSheetViews();
    // The settings of every sheet as the workbook's classic file gives them;
    // not known when the file does not give them for every sheet.
    BookViews ViewsFromClassicFile();
    // Gives formulas with a text result a stored result before a save.
    void KeepTextResults();
    // `wanted`, or a variant of it that no sheet of the workbook has.
    QString FreeSheetName(const QString& wanted) const;

    struct OwnDataChart {
        Reference<css::chart2::XChartDocument> chart;
        QStringList fromSheets; // the sheets its numbers came from
    };
    QList<OwnDataChart> ownDataCharts_;

    std::shared_ptr<Session> session_;
    Reference<css::lang::XComponent> component_;
    Reference<css::sheet::XSpreadsheetDocument> doc_;
    QString name_;
    QString fullName_;
    int format_ = xlNormal;
    QHash<QString, sal_Int32> formatKeys_;
    mutable Reference<css::sheet::XSpreadsheets> sheets_;
    mutable Reference<css::lang::XMultiServiceFactory> factory_;
    bool drawLayer_ = false;
    // Source book and page style -> the page style its copies use here.
    QHash<QString, QString> pageStyles_;
    // Source workbooks whose links have been taken over.
    QSet<QString> linksCarried_;
    BookViews views_;
    bool viewsFromFile_ = false;
    std::shared_ptr<const ClassicViews> classicViews_;
    QList<SheetViewEntry> copiedViews_;
};

class LoWorksheet : public Worksheet, public std::enable_shared_from_this<LoWorksheet> {
public:
    LoWorksheet(std::shared_ptr<LoWorkbook> book, Reference<css::sheet::XSpreadsheet> sheet);
    QString Name() const override;
    void SetName(const QString& name) override;
    void Delete() override;
    void Activate() override;
    std::shared_ptr<Worksheet> Copy(Where where, Worksheet& target,
                                    bool withPageSetup = false) override;
    std::shared_ptr<::sheet::Range> Cells(int row, int column) override;
    std::shared_ptr<::sheet::Range> AllCells() override;
    std::shared_ptr<::sheet::Range> Range(const QString& addressOrName) override;
    ::sheet::Hyperlinks& Hyperlinks() override;
    QList<FormulaCell> Formulas() override;
    CellExtent ContentExtent() override;
    void SetFormulas(const QList<FormulaCell>& cells) override;
    QList<DefinedName> LocalNames() override;
    void SetLocalName(const DefinedName& name) override;
    QList<ChartData> Charts() override;
    void SetChartRanges(const QString& chart, const QStringList& ranges) override;
    void KeepChartData(const QString& chart) override;
    // Whether a chart of the sheet's chart collection holds its numbers itself.
    static bool HoldsOwnData(const css::uno::Any& tableChart);

    const std::shared_ptr<LoWorkbook>& Book() const { return book_; }
    const Reference<css::sheet::XSpreadsheet>& Sheet() const { return sheet_; }
    int Index() const; // 0-based position in the workbook
    void Remember(const QString& name, int index) const;

private:
    class Links : public ::sheet::Hyperlinks {
    public:
        explicit Links(LoWorksheet& owner) : owner_(owner) {}
        void Add(::sheet::Range& anchor, const QString& address, const QString& subAddress,
                 const QString& textToDisplay) override;

    private:
        LoWorksheet& owner_;
    };

    std::shared_ptr<LoWorkbook> book_;
    Reference<css::sheet::XSpreadsheet> sheet_;
    Links links_{*this};
    mutable QString name_;
    mutable int nameGeneration_ = -1;
    mutable int index_ = -1;
    mutable int indexGeneration_ = -1;
};

class LoRange : public ::sheet::Range {
public:
    LoRange(std::shared_ptr<LoWorksheet> sheet, Reference<css::table::XCellRange> range,
            bool wholeSheet = false);
    QString Address() const override;
    CellValue Value() const override;
    void SetValue(const CellValue& value) override;
    void SetFormula(const QString& formula) override;
    void SetValues(const QList<QList<CellValue>>& rows) override;
    QString NumberFormatLocal() const override;
    void SetNumberFormatLocal(const QString& format) override;
    void Select() override;
    void SetFontSize(double points) override;
    void SetBorder(int index, const BorderFormat& format) override;
    void SetInterior(const InteriorFormat& format) override;
    void AutoFitColumns() override;

    const Reference<css::table::XCellRange>& Cells() const { return range_; }
    const std::shared_ptr<LoWorksheet>& Sheet() const { return sheet_; }

private:
    std::shared_ptr<LoWorksheet> sheet_;
    Reference<css::table::XCellRange> range_;
    bool wholeSheet_;
};

class LoApplication : public Application {
public:
    explicit LoApplication(std::unique_ptr<OfficeInstance> office);
    ~LoApplication() override;
    ::sheet::Workbooks& Workbooks() override { return books_; }
    std::shared_ptr<Worksheet> ActiveSheet() override;
    std::shared_ptr<::sheet::Range> Selection() override;
    void Quit() override;

    pid_t OfficePid() const;

private:
    class Books : public ::sheet::Workbooks {
    public:
        explicit Books(std::shared_ptr<Session> s) : session_(std::move(s)) {}
        std::shared_ptr<Workbook> Open(const QString& fileName,
                                       const OpenOptions& options) override;
        std::shared_ptr<Workbook> Add() override;

    private:
        std::shared_ptr<Workbook> Register(Reference<css::lang::XComponent> doc, QString name,
                                           QString fullName);
        std::shared_ptr<Session> session_;
    };

    std::shared_ptr<Session> session_;
    Books books_;
};

} // namespace sheet::lo
