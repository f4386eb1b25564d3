#include "spreadsheet/spreadsheet.h"
#include "common/seam.h"

#include <QFileInfo>

namespace sheet {

int ErrorNumberOf(SheetErrorKind kind) {
    switch (kind) {
    case SheetErrorKind::NoSuchItem:
        return kErrSubscript;
    case SheetErrorKind::CannotWrite:
        return kErrPermission;
    case SheetErrorKind::OfficeLost:
        return kErrServerGone;
    case SheetErrorKind::CannotStart:
        return kErrCannotStart;
    default:
        return kErrMethodFailed;
    }
}

SheetError::SheetError(SheetErrorKind kind, QString description, QString detail)
    : kind_(kind), description_(std::move(description)), detail_(std::move(detail)) {
    what_ = Text().toStdString();
    if (!detail_.isEmpty())
        what_ += " (" + detail_.toStdString() + ")";
}

QString SheetError::Text() const {
    return QString::number(Number()) + QLatin1Char(' ') + description_;
}

QString FileFormatExtension(int fileFormat) {
    switch (fileFormat) {
    case xlNormal:
        return QStringLiteral("xls");
    case xlOpenXMLWorkbook:
        return QStringLiteral("xlsx");
    case xlOpenXMLWorkbookMacroEnabled:
        return QStringLiteral("xlsm");
    case xlOpenDocumentSpreadsheet:
        return QStringLiteral("ods");
    default:
        return QString();
    }
}

int FileFormatOfName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = fileName.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < separator)
        return 0;
    const QString extension = fileName.mid(dot + 1);
    for (int format : {int(xlNormal), int(xlOpenXMLWorkbook), int(xlOpenXMLWorkbookMacroEnabled),
                       int(xlOpenDocumentSpreadsheet)})
        if (extension.compare(FileFormatExtension(format), Qt::CaseInsensitive) == 0)
            return format;
    return 0;
}

namespace {
// Without an installed backend there is no application to start.
std::unique_ptr<Application> NoBackend() {
    throw SheetError(SheetErrorKind::CannotStart,
                     QStringLiteral("表計算アプリケーションが組み込まれていません。"),
                     QStringLiteral("no backend installed"));
}
} // namespace

common::Seam<ApplicationFactory>& ApplicationFactorySeam() {
    static common::Seam<ApplicationFactory> seam(&NoBackend);
    return seam;
}

std::unique_ptr<Application> CreateApplication() {
    return ApplicationFactorySeam().Get()();
}

void CloseQuietly(std::shared_ptr<Workbook>& book) noexcept {
    if (!book)
        return;
    try {
        book->Close();
    } catch (const SheetError&) {
        // Quitting the application discards it as well.
    }
    book.reset();
}

std::shared_ptr<Workbook> OpenTemplate(Workbooks& books, const QString& fileName) {
    OpenOptions options;
    options.readOnly = true;
    return books.Open(fileName, options);
}

QString TemplateProblem(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return QStringLiteral("必要な下記ファイルがありません。");
    if (!info.isFile() || !info.isReadable())
        return QStringLiteral("必要な下記ファイルを読み取れません。");
    return QStringLiteral("必要な下記ファイルを開けません（ブックではないか、壊れています）。");
}

void QuitQuietly(std::unique_ptr<Application>& app) noexcept {
    if (!app)
        return;
    try {
        app->Quit();
    } catch (const SheetError&) {
        // An instance that no longer answers has ended already.
    }
    app.reset();
}

} // namespace sheet
