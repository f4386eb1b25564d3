#include "common/ui/printers.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace ui {

namespace {

class SystemPrinters : public PrinterService {
public:
    QStringList PrinterNames() override { return QPrinterInfo::availablePrinterNames(); }

    std::unique_ptr<QPrinter> Create(const QString& name) override {
        const QStringList names = QPrinterInfo::availablePrinterNames();
        if (names.isEmpty())
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!name.isEmpty() && names.contains(name))
            printer->setPrinterName(name);
        return printer;
    }
};

QString g_programPrinter;

} // namespace

common::Seam<PrinterService>& PrinterSeam() {
    static SystemPrinters system;
    static common::Seam<PrinterService> seam(system);
    return seam;
}

QString ProgramPrinterName() {
    return g_programPrinter;
}

void SetProgramPrinterName(const QString& name) {
    g_programPrinter = name;
}

} // namespace ui
