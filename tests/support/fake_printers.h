#pragma once

#include "common/ui/printers.h"

#include <QPrinter>
#include <QString>
#include <QStringList>
#include <memory>

namespace testing_support {

// Printers for tests: a scripted list of device names, and every print goes
// to one PDF file. Installed for the lifetime of the object; the program's
// printer choice is reset on both ends.
class PdfPrinters : public ui::PrinterService {
public:
    explicit PdfPrinters(const QString& pdfPath) : pdfPath(pdfPath) {
        ui::SetProgramPrinterName(QString());
    }
    ~PdfPrinters() override { ui::SetProgramPrinterName(QString()); }
    PdfPrinters(const PdfPrinters&) = delete;
    PdfPrinters& operator=(const PdfPrinters&) = delete;

    QStringList PrinterNames() override { return names; }

    std::unique_ptr<QPrinter> Create(const QString& name) override {
        createdFor.append(name);
        if (noPrinter)
            return nullptr;
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfPath);
        return printer;
    }

    QString pdfPath;
    QStringList names{QStringLiteral("PDF"), QStringLiteral("事務所のプリンタ")};
    bool noPrinter = false; // Create answers null: no printer installed
    QStringList createdFor; // the device name asked for at each print

private:
    common::ScopedOverride<ui::PrinterService> inPlace_{ui::PrinterSeam(), this};
};

} // namespace testing_support
