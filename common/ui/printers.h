#pragma once

#include "common/seam.h"

#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;

namespace ui {

// The printers of the system, behind a seam so that tests print to PDF files.
class PrinterService {
public:
    virtual ~PrinterService() = default;
    // Device names of the installed printers, in the system's order.
    virtual QStringList PrinterNames() = 0;
    // A printer for the named device; an empty name means the system's
    // default printer. Null when there is no printer to print on.
    virtual std::unique_ptr<QPrinter> Create(const QString& name) = 0;
};

// The printers in place; the default is the system's printers.
common::Seam<PrinterService>& PrinterSeam();
inline PrinterService& Printers() {
    return PrinterSeam().Get();
}

// The program's printer for later printing: set by the printer choice of the
// hard copy and kept until the program ends (never stored). Empty: the
// system's default printer.
QString ProgramPrinterName();
void SetProgramPrinterName(const QString& name);

} // namespace ui
