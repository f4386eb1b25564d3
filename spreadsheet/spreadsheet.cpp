#include "spreadsheet/spreadsheet.h"

#include <QFileInfo>

namespace sheet {

SheetError::SheetError(int number, QString description, QString detail)
    : number_(number), description_(std::move(description)), detail_(std::move(detail)) {
    what_ = Text().toStdString();
    if (!detail_.isEmpty())
        what_ += " (" + detail_.toStdString() + ")";
}

QString SheetError::Text() const {
    return QString::number(number_) + QLatin1Char(' ') + description_;
}

namespace {
ApplicationFactory g_factory = nullptr;
} // namespace

// Defined by the LibreOffice backend.
std::unique_ptr<Application> CreateLibreOfficeApplication();

ApplicationFactory SetApplicationFactory(ApplicationFactory factory) {
    ApplicationFactory previous = g_factory;
    g_factory = factory;
    return previous;
}

std::unique_ptr<Application> CreateApplication() {
    return g_factory ? g_factory() : CreateLibreOfficeApplication();
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
