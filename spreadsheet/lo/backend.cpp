// Entry points of the LibreOffice backend: the application factory and the
// gate's probe, installed by the programs.

#include "common/messages.h"
#include "common/seam.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/lo/install.h"
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

namespace lo {

void InstallBackend() {
    // In place for the rest of the program.
    static ApplicationFactory libreOffice = &CreateLibreOfficeApplication;
    static common::ScopedOverride<ApplicationFactory> factory(ApplicationFactorySeam(),
                                                              &libreOffice);
    static common::ScopedOverride<ExcelProbe> probe(ExcelProbeSeam(), &DefaultExcelProbe());
}

} // namespace lo

} // namespace sheet
