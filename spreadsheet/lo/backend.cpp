// Entry points of the LibreOffice backend: the application factory, the
// gate's probe and the application path.

#include "common/messages.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/lo/inspect.h"
#include "spreadsheet/lo/objects.h"
#include "spreadsheet/lo/office.h"
#include "spreadsheet/lo/running.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>

#include <csignal>
#include <cstdlib>

namespace sheet {

using namespace sheet::lo;

namespace {

// The instance started by the gate's installation check, kept for the run's
// application so that the office starts once per run. Never destroyed by
// static destruction (UNO may already be gone then); an exit handler ends the
// process instead.
OfficeInstance*& Pending() {
    static OfficeInstance* pending = nullptr;
    return pending;
}

void KillPendingAtExit() {
    if (Pending())
        Pending()->Kill();
}

std::unique_ptr<OfficeInstance> TakePending() {
    std::unique_ptr<OfficeInstance> office(Pending());
    Pending() = nullptr;
    if (office && !office->IsAlive()) {
        office->Kill();
        office.reset();
    }
    return office;
}

class LoProbe : public ExcelProbe {
public:
    bool IsExcelInstalled() override {
        if (Pending() && Pending()->IsAlive())
            return true;
        if (OfficeLauncher().isEmpty())
            return false;
        // Installed, but it cannot be started safely for this user: the
        // reason is said before the gate's own message.
        const QString unsafe = PipeSecurityProblem();
        if (!unsafe.isEmpty()) {
            common::ShowMessage(unsafe, common::MsgIcon::Critical, common::MsgButtons::Ok);
            return false;
        }
        try {
            std::unique_ptr<OfficeInstance> office = OfficeInstance::Start();
            static const bool registered = (std::atexit(KillPendingAtExit), true);
            (void)registered;
            delete Pending();
            Pending() = office.release();
            return true;
        } catch (const SheetError&) {
            return false;
        }
    }
    bool IsExcelRunning() override { return !FindUserInstances().empty(); }
    bool CloseRunningExcel() override {
        const CloseRequest request = AskUserInstanceToClose();
        refused_ = request == CloseRequest::Refused;
        return request != CloseRequest::NotRunning;
    }
    bool CloseRefused() override { return refused_; }

private:
    bool refused_ = false;
};

} // namespace

ExcelProbe& DefaultExcelProbe() {
    static LoProbe probe;
    return probe;
}

std::unique_ptr<Application> CreateLibreOfficeApplication() {
    std::unique_ptr<OfficeInstance> office = TakePending();
    if (!office)
        office = OfficeInstance::Start();
    return std::make_unique<LoApplication>(std::move(office));
}

QString GetAppPath(const QString& executableName) {
    Q_UNUSED(executableName);
    return OfficeLauncher();
}

namespace lo {

namespace {
LoRange& AsLo(Range& range) {
    auto* lo = dynamic_cast<LoRange*>(&range);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice range"));
    return *lo;
}
Reference<css::beans::XPropertySet> TopLeft(Range& range) {
    return Reference<css::beans::XPropertySet>(AsLo(range).Cells()->getCellByPosition(0, 0),
                                               UNO_QUERY_THROW);
}
} // namespace

pid_t OfficePid(Application& app) {
    auto* lo = dynamic_cast<LoApplication*>(&app);
    return lo ? lo->OfficePid() : -1;
}

QStringList CellLinks(Range& range) {
    QStringList urls;
    Call(QStringLiteral("リンクを読めません。"), [&] {
        Reference<css::container::XEnumerationAccess> text(
            AsLo(range).Cells()->getCellByPosition(0, 0), UNO_QUERY_THROW);
        Reference<css::container::XEnumeration> paragraphs = text->createEnumeration();
        while (paragraphs->hasMoreElements()) {
            Reference<css::container::XEnumerationAccess> para(paragraphs->nextElement(),
                                                               UNO_QUERY_THROW);
            Reference<css::container::XEnumeration> portions = para->createEnumeration();
            while (portions->hasMoreElements()) {
                Reference<css::beans::XPropertySet> portion(portions->nextElement(),
                                                            UNO_QUERY_THROW);
                OUString type;
                portion->getPropertyValue(OUString("TextPortionType")) >>= type;
                if (type != "TextField")
                    continue;
                Reference<css::beans::XPropertySet> field(
                    portion->getPropertyValue(OUString("TextField")), UNO_QUERY);
                OUString url;
                if (field.is() && (field->getPropertyValue(OUString("URL")) >>= url))
                    urls << ToQ(url);
            }
        }
    });
    return urls;
}

int CellBackColor(Range& range) {
    int color = -1;
    Call(QStringLiteral("背景色を読めません。"), [&] {
        auto props = TopLeft(range);
        bool transparent = false;
        props->getPropertyValue(OUString("IsCellBackgroundTransparent")) >>= transparent;
        sal_Int32 c = -1;
        props->getPropertyValue(OUString("CellBackColor")) >>= c;
        color = transparent ? -1 : c;
    });
    return color;
}

QList<int> RangeBorderWidths(Range& range) {
    QList<int> widths;
    Call(QStringLiteral("罫線を読めません。"), [&] {
        Reference<css::beans::XPropertySet> props(AsLo(range).Cells(), UNO_QUERY_THROW);
        css::table::TableBorder2 b;
        props->getPropertyValue(OUString("TableBorder2")) >>= b;
        widths = {int(b.TopLine.LineWidth), int(b.LeftLine.LineWidth), int(b.BottomLine.LineWidth),
                  int(b.RightLine.LineWidth)};
    });
    return widths;
}

double CellFontSize(Range& range) {
    float size = 0;
    Call(QStringLiteral("文字の大きさを読めません。"),
         [&] { TopLeft(range)->getPropertyValue(OUString("CharHeight")) >>= size; });
    return size;
}

namespace {
Reference<css::beans::XPropertySet> PageStyleOf(LoWorksheet& sheet) {
    OUString name;
    Reference<css::beans::XPropertySet>(sheet.Sheet(), UNO_QUERY_THROW)
        ->getPropertyValue(OUString("PageStyle")) >>= name;
    Reference<css::container::XNameAccess> styles(
        Reference<css::style::XStyleFamiliesSupplier>(sheet.Book()->Doc(), UNO_QUERY_THROW)
            ->getStyleFamilies()
            ->getByName(OUString("PageStyles")),
        UNO_QUERY_THROW);
    return Reference<css::beans::XPropertySet>(styles->getByName(name), UNO_QUERY_THROW);
}

LoWorksheet& AsLoSheet(Worksheet& sheet) {
    auto* lo = dynamic_cast<LoWorksheet*>(&sheet);
    if (!lo)
        throw SheetError(SheetErrorKind::Failed, QStringLiteral("not a LibreOffice sheet"));
    return *lo;
}
} // namespace

QString PageSetup(Worksheet& sheet) {
    bool landscape = false;
    sal_Int16 scale = 0;
    Call(QStringLiteral("ページ設定を読めません。"), [&] {
        Reference<css::beans::XPropertySet> style = PageStyleOf(AsLoSheet(sheet));
        style->getPropertyValue(OUString("IsLandscape")) >>= landscape;
        style->getPropertyValue(OUString("PageScale")) >>= scale;
    });
    return QStringLiteral("%1 %2%").arg(landscape ? "landscape" : "portrait").arg(scale);
}

QString PrintTitleColumns(Worksheet& sheet) {
    QString columns;
    Call(QStringLiteral("印刷タイトルを読めません。"), [&] {
        Reference<css::sheet::XPrintAreas> areas(AsLoSheet(sheet).Sheet(), UNO_QUERY_THROW);
        if (!areas->getPrintTitleColumns())
            return;
        const css::table::CellRangeAddress range = areas->getTitleColumns();
        const auto letter = [](sal_Int32 column) {
            QString name;
            for (sal_Int32 c = column + 1; c > 0; c = (c - 1) / 26)
                name.prepend(QChar(u'A' + (c - 1) % 26));
            return name;
        };
        columns = letter(range.StartColumn) + QLatin1Char(':') + letter(range.EndColumn);
    });
    return columns;
}

void SetPageSetup(Worksheet& sheet, const QString& name, bool landscape, int scalePercent) {
    LoWorksheet& lo = AsLoSheet(sheet);
    Call(QStringLiteral("ページ設定を書き込めません。"), [&] {
        Reference<css::container::XNameContainer> styles(
            Reference<css::style::XStyleFamiliesSupplier>(lo.Book()->Doc(), UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(OUString("PageStyles")),
            UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> style(
            Reference<css::lang::XMultiServiceFactory>(lo.Book()->Doc(), UNO_QUERY_THROW)
                ->createInstance(OUString("com.sun.star.style.PageStyle")),
            UNO_QUERY_THROW);
        styles->insertByName(ToOU(name), css::uno::Any(style));
        style->setPropertyValue(OUString("IsLandscape"), css::uno::Any(landscape));
        style->setPropertyValue(OUString("PageScale"), css::uno::Any(sal_Int16(scalePercent)));
        Reference<css::beans::XPropertySet>(lo.Sheet(), UNO_QUERY_THROW)
            ->setPropertyValue(OUString("PageStyle"), css::uno::Any(ToOU(name)));
    });
}

QStringList NamedRanges(Workbook& book) {
    auto* lo = dynamic_cast<LoWorkbook*>(&book);
    QStringList names;
    if (!lo)
        return names;
    Call(QStringLiteral("名前を読めません。"), [&] {
        Reference<css::beans::XPropertySet> props(lo->Doc(), UNO_QUERY_THROW);
        Reference<css::sheet::XNamedRanges> ranges(props->getPropertyValue(OUString("NamedRanges")),
                                                   UNO_QUERY_THROW);
        for (const OUString& n : ranges->getElementNames())
            names << ToQ(n);
    });
    return names;
}

void SaveProtectedCopy(Workbook& book, const QString& path, const QString& password) {
    auto* lo = dynamic_cast<LoWorkbook*>(&book);
    if (!lo)
        return;
    Call(QStringLiteral("保存できません。"), [&] {
        Reference<css::frame::XStorable> storable(lo->Doc(), UNO_QUERY_THROW);
        css::beans::PropertyValue filter, pass, overwrite;
        filter.Name = OUString("FilterName");
        filter.Value <<= OUString("calc8");
        pass.Name = OUString("Password");
        pass.Value <<= ToOU(password);
        overwrite.Name = OUString("Overwrite");
        overwrite.Value <<= true;
        storable->storeToURL(ToOU(FileUrl(path)),
                             SeqOf<css::beans::PropertyValue>({filter, pass, overwrite}));
    });
}

bool LeaveUnsavedDocument(const QString& pipeName) {
    try {
        Reference<css::bridge::XUnoUrlResolver> resolver =
            css::bridge::UnoUrlResolver::create(LocalContext());
        Reference<css::uno::XComponentContext> ctx(
            resolver->resolve(ToOU(QStringLiteral("uno:pipe,name=") + pipeName +
                                   QStringLiteral(";urp;StarOffice.ComponentContext"))),
            UNO_QUERY_THROW);
        Reference<css::frame::XComponentLoader> loader(css::frame::Desktop::create(ctx),
                                                       UNO_QUERY_THROW);
        css::beans::PropertyValue hidden;
        hidden.Name = OUString("Hidden");
        hidden.Value <<= true;
        Reference<css::sheet::XSpreadsheetDocument> doc(
            loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0,
                                         SeqOf<css::beans::PropertyValue>({hidden})),
            UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        Reference<css::table::XCellRange> sheet(sheets->getByIndex(0), UNO_QUERY_THROW);
        sheet->getCellByPosition(0, 0)->setValue(42);
        return true;
    } catch (const css::uno::Exception&) {
        return false;
    }
}

} // namespace lo

} // namespace sheet
