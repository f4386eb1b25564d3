// The application and the loading of workbooks: type detection first, the
// load after, and what a refused load means.

#include "spreadsheet/lo/calls.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/XLoadable.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/task/ErrorCodeIOException.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace sheet::lo {

namespace {

// Filters of documents that are not workbooks: the office loads any text file
// (also one named .xls) as comma-separated text.
bool IsWorkbookFilter(const QString& filter) {
    if (filter.isEmpty())
        return false;
    static const QStringList refused = {QStringLiteral("Text"), QStringLiteral("CSV"),
                                        QStringLiteral("HTML"), QStringLiteral("SYLK"),
                                        QStringLiteral("DIF"),  QStringLiteral("dBase"),
                                        QStringLiteral("RTF"),  QStringLiteral("Web")};
    for (const QString& word : refused)
        if (filter.contains(word, Qt::CaseInsensitive))
            return false;
    return true;
}

// The file format of a workbook read with an import filter.
int FormatOfFilter(const QString& filter) {
    if (filter.contains(QStringLiteral("VBA"), Qt::CaseInsensitive))
        return xlOpenXMLWorkbookMacroEnabled;
    if (filter.contains(QStringLiteral("2007"), Qt::CaseInsensitive) ||
        filter.contains(QStringLiteral("OOXML"), Qt::CaseInsensitive) ||
        filter.contains(QStringLiteral("Office Open XML"), Qt::CaseInsensitive))
        return xlOpenXMLWorkbook;
    if (filter.startsWith(QStringLiteral("calc8"), Qt::CaseInsensitive) ||
        filter.contains(QStringLiteral("OpenDocument"), Qt::CaseInsensitive))
        return xlOpenDocumentSpreadsheet;
    return xlNormal;
}

} // namespace

// ---------------------------------------------------------------- application

LoApplication::LoApplication(std::unique_ptr<OfficeInstance> office)
    : session_(std::make_shared<Session>()), books_(session_) {
    session_->office = std::move(office);
}

LoApplication::~LoApplication() {
    Quit();
}

pid_t LoApplication::OfficePid() const {
    return session_->office ? session_->office->Pid() : -1;
}

std::shared_ptr<Worksheet> LoApplication::ActiveSheet() {
    return session_->activeSheet;
}

std::shared_ptr<::sheet::Range> LoApplication::Selection() {
    return session_->selection;
}

void LoApplication::Quit() {
    if (session_->quit)
        return;
    session_->selection.reset();
    session_->activeSheet.reset();
    if (session_->office && session_->office->IsAlive()) {
        for (auto books = session_->books; auto& book : books)
            book->Close();
    }
    session_->books.clear();
    session_->quit = true;
    if (session_->office)
        session_->office->Terminate();
    session_->office.reset();
}

namespace {

// Workbooks are held as bare document models, without a frame or a view.
// A hidden view still runs its form layer's events, and driving it from a
// remote call made the office abort now and then (switching sheets, closing
// documents); without a view there is nothing to race with, and saving,
// copying and formatting need none.
Reference<css::frame::XLoadable>
NewSpreadsheetModel(const Reference<css::uno::XComponentContext>& context) {
    Reference<css::frame::XLoadable> model(
        context->getServiceManager()->createInstanceWithContext(
            OUString("com.sun.star.sheet.SpreadsheetDocument"), context),
        UNO_QUERY_THROW);
    return model;
}

void CloseQuietly(const Reference<css::uno::XInterface>& doc) {
    try {
        Reference<css::util::XCloseable> closeable(doc, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    } catch (const css::uno::Exception&) {
    }
}

// The import filter the office's type detection picks for a file, looking at
// its content; empty when it recognises nothing.
QString DetectFilter(const Reference<css::uno::XComponentContext>& context, const OUString& url) {
    Reference<css::document::XTypeDetection> detection(
        context->getServiceManager()->createInstanceWithContext(
            OUString("com.sun.star.document.TypeDetection"), context),
        UNO_QUERY_THROW);
    Sequence<PropertyValue> descriptor = SeqOf<PropertyValue>({Prop("URL", Any(url))});
    const OUString type = detection->queryTypeByDescriptor(descriptor, true);
    OUString filter;
    for (const PropertyValue& p : descriptor)
        if (p.Name == "FilterName")
            p.Value >>= filter;
    if (filter.isEmpty() && !type.isEmpty()) {
        Reference<css::container::XNameAccess> types(detection, UNO_QUERY);
        Sequence<PropertyValue> typeProps;
        if (types.is() && types->hasByName(type) && (types->getByName(type) >>= typeProps))
            for (const PropertyValue& p : typeProps)
                if (p.Name == "PreferredFilter")
                    p.Value >>= filter;
    }
    return ToQ(filter);
}

} // namespace

namespace {

// Whether a load failed for want of the right password: the office answers
// "wrong password" when a password it was given (or none) does not open an
// encrypted document, and "aborted" when a filter asked for a password
// nobody could give (the load has no interaction). Flags above the code
// itself are ignored.
bool IsPasswordRefusal(sal_Int32 errorCode) {
    constexpr quint32 kCodeMask = 0x03FFFFFF;
    constexpr quint32 kWrongPassword = 0x4B0B; // document area, read class, code 11
    constexpr quint32 kAborted = 0x011B;       // input/output area, abort class
    const quint32 code = quint32(errorCode) & kCodeMask;
    return code == kWrongPassword || code == kAborted;
}

// A workbook of today's format saved with a password is an encrypted package
// in a compound file (the stream "EncryptedPackage"); the office refuses it
// with a general input/output error when the password is missing or wrong.
bool IsEncryptedPackage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) ||
        file.read(8) != QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return false;
    const QString stream = QStringLiteral("EncryptedPackage");
    const QByteArray name(reinterpret_cast<const char*>(stream.utf16()), stream.size() * 2);
    return file.readAll().contains(name);
}

} // namespace

std::shared_ptr<Workbook> LoApplication::Books::Register(Reference<css::lang::XComponent> doc,
                                                         QString name, QString fullName) {
    auto book = std::make_shared<LoWorkbook>(session_, doc, std::move(name), std::move(fullName));
    session_->books.push_back(book);
    // The sheet the workbook opens on is its active sheet.
    Reference<css::sheet::XSpreadsheet> active;
    try {
        Reference<css::frame::XModel> model(doc, UNO_QUERY_THROW);
        Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
        if (view.is())
            active = view->getActiveSheet();
        if (!active.is()) {
            Reference<css::container::XIndexAccess> sheets(book->Doc()->getSheets(),
                                                           UNO_QUERY_THROW);
            active.set(sheets->getByIndex(0), UNO_QUERY);
        }
    } catch (const css::uno::Exception&) {
    }
    session_->activeSheet = active.is() ? book->Wrap(active) : nullptr;
    return book;
}

std::shared_ptr<Workbook> LoApplication::Books::Open(const QString& fileName,
                                                     const OpenOptions& options) {
    session_->CheckOpen();
    QString path = QFileInfo(fileName).absoluteFilePath();
    if (!QFileInfo(path).isFile() && QFileInfo(path).suffix().isEmpty() &&
        QFileInfo(path + QStringLiteral(".xls")).isFile())
        path += QStringLiteral(".xls");
    const QFileInfo info(path);
    const QString cannotOpen = QStringLiteral("'%1' を開けません。").arg(path);
    if (!info.isFile())
        throw SheetError(SheetErrorKind::FileMissing,
                         QStringLiteral("'%1' が見つかりません。").arg(path));
    if (!info.isReadable())
        throw SheetError(
            SheetErrorKind::Unreadable,
            QStringLiteral("'%1' を読み取れません（読み取りの権限がありません）。").arg(path),
            QStringLiteral("not readable"));
    for (const auto& open : session_->books)
        if (open->Name().compare(info.fileName(), Qt::CaseInsensitive) == 0)
            throw SheetError(
                SheetErrorKind::Refused,
                QStringLiteral("同じ名前のブック '%1' は同時に開けません。").arg(info.fileName()));

    Reference<css::lang::XComponent> doc;
    QString filter;
    bool refused = false;
    sal_Int32 loadError = 0;
    QString loadDetail;
    Call(cannotOpen, [&] {
        // The type is detected first: a text or damaged file named .xls
        // would otherwise be read as CSV text without complaint.
        const OUString url = ToOU(FileUrl(path));
        filter = DetectFilter(session_->office->Context(), url);
        if (!IsWorkbookFilter(filter))
            return;
        std::vector<PropertyValue> props = {
            Prop("URL", Any(url)),
            Prop("FilterName", Any(ToOU(filter))),
            // The office refuses to open a file for writing that this user
            // cannot write; such a file is opened read-only, as the office's
            // own window does. Saving it under its own name then fails.
            Prop("ReadOnly", Any(options.readOnly || !info.isWritable())),
            Prop("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
            Prop("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)),
        };
        if (!options.password.isEmpty())
            props.push_back(Prop("Password", Any(ToOU(options.password))));
        Reference<css::frame::XLoadable> model = NewSpreadsheetModel(session_->office->Context());
        try {
            model->load(Sequence<PropertyValue>(props.data(), sal_Int32(props.size())));
        } catch (const css::uno::RuntimeException&) {
            throw;
        } catch (const css::task::ErrorCodeIOException& e) {
            refused = true;
            loadError = e.ErrCode;
            loadDetail = ToQ(e.Message);
            CloseQuietly(model);
            return;
        } catch (const css::uno::Exception& e) {
            refused = true;
            loadDetail = ToQ(e.Message);
            CloseQuietly(model);
            return;
        }
        doc.set(model, UNO_QUERY_THROW);
    });
    if (!refused && !IsWorkbookFilter(filter))
        throw SheetError(SheetErrorKind::NotWorkbook,
                         QStringLiteral("'%1' はブックではないか、壊れています。").arg(path),
                         QStringLiteral("filter: ") + filter);
    if (!doc.is())
        throw SheetError(
            IsPasswordRefusal(loadError) || IsEncryptedPackage(path)
                ? SheetErrorKind::PasswordRequired
                : SheetErrorKind::NotWorkbook,
            QStringLiteral("'%1' を開けません。パスワードで保護されているか、"
                           "ブックではありません。")
                .arg(path),
            QStringLiteral("load error 0x%1: %2").arg(quint32(loadError), 0, 16).arg(loadDetail));
    Reference<css::sheet::XSpreadsheetDocument> spreadsheet(doc, UNO_QUERY);
    if (!spreadsheet.is() || !IsWorkbookFilter(filter)) {
        try {
            Reference<css::util::XCloseable>(doc, UNO_QUERY_THROW)->close(true);
        } catch (const css::uno::Exception&) {
        }
        throw SheetError(SheetErrorKind::NotWorkbook,
                         QStringLiteral("'%1' はブックではないか、壊れています。").arg(path),
                         QStringLiteral("filter: ") + filter);
    }
    auto book = Register(doc, info.fileName(), path);
    std::static_pointer_cast<LoWorkbook>(book)->SetFileFormat(FormatOfFilter(filter));
    return book;
}

std::shared_ptr<Workbook> LoApplication::Books::Add() {
    session_->CheckOpen();
    Reference<css::lang::XComponent> doc;
    Call(QStringLiteral("新しいブックを作成できません。"), [&] {
        Reference<css::frame::XLoadable> model = NewSpreadsheetModel(session_->office->Context());
        model->initNew();
        doc.set(model, UNO_QUERY_THROW);
        // The default sheet carries the name the callers expect, whatever
        // the office's language.
        Reference<css::sheet::XSpreadsheetDocument> sd(doc, UNO_QUERY_THROW);
        Reference<css::container::XIndexAccess> sheets(sd->getSheets(), UNO_QUERY_THROW);
        Reference<css::container::XNamed> first(sheets->getByIndex(0), UNO_QUERY_THROW);
        if (first->getName() != "Sheet1")
            first->setName(OUString("Sheet1"));
    });
    QString name;
    for (;;) {
        name = QStringLiteral("Book%1").arg(++session_->addedBooks);
        bool used = false;
        for (const auto& open : session_->books)
            used = used || open->Name().compare(name, Qt::CaseInsensitive) == 0;
        if (!used)
            break;
    }
    return Register(doc, name, QString());
}

} // namespace sheet::lo
