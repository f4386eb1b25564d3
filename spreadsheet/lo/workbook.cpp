// The workbook: its sheets, names and number formats, and saving it.

#include "spreadsheet/lo/calls.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/XActionLockable.hpp>
#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/FormulaResult.hpp>
#include <com/sun/star/sheet/XCellRangeFormula.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sheet::lo {

namespace {

// The export filter of a file format; empty for a number that is none.
OUString ExportFilter(int fileFormat) {
    switch (fileFormat) {
    case xlNormal:
        return OUString("MS Excel 97");
    case xlOpenXMLWorkbook:
        return OUString("Calc MS Excel 2007 XML");
    case xlOpenXMLWorkbookMacroEnabled:
        return OUString("Calc MS Excel 2007 VBA XML");
    case xlOpenDocumentSpreadsheet:
        return OUString("calc8");
    default:
        return OUString();
    }
}

} // namespace

// ---------------------------------------------------------------- workbook

LoWorkbook::LoWorkbook(std::shared_ptr<Session> session, Reference<css::lang::XComponent> doc,
                       QString name, QString fullName)
    : session_(std::move(session)), component_(doc), doc_(doc, UNO_QUERY), name_(std::move(name)),
      fullName_(std::move(fullName)), viewsFromFile_(!fullName_.isEmpty()) {}

int LoWorkbook::SheetCount() const {
    session_->CheckOpen();
    int count = 0;
    Call(QStringLiteral("シート数を取得できません。"), [&] {
        Reference<css::container::XIndexAccess> sheets(Sheets(), UNO_QUERY_THROW);
        count = sheets->getCount();
    });
    return count;
}

QList<DefinedName> LoWorkbook::Names() {
    session_->CheckOpen();
    QList<DefinedName> out;
    Call(QStringLiteral("名前を取得できません。"), [&] {
        Reference<XPropertySet> props(doc_, UNO_QUERY_THROW);
        Reference<css::container::XNameAccess> names(
            props->getPropertyValue(OUString("NamedRanges")), UNO_QUERY_THROW);
        for (const OUString& name : names->getElementNames()) {
            Reference<css::sheet::XNamedRange> range(names->getByName(name), UNO_QUERY_THROW);
            out.append({ToQ(name), ToQ(range->getContent())});
        }
    });
    return out;
}

void LoWorkbook::SetName(const DefinedName& name) {
    session_->CheckOpen();
    Call(QStringLiteral("名前 '%1' を設定できません。").arg(name.name), [&] {
        PutNamedRange(Reference<XPropertySet>(doc_, UNO_QUERY_THROW), name,
                      css::table::CellAddress());
    });
}

void LoWorkbook::HoldNameUpdates(bool hold) {
    session_->CheckOpen();
    Call(QStringLiteral("名前の更新をまとめられません。"), [&] {
        // The document's names lock: every name change of the document,
        // also of a sheet's names, leaves the formulas to its last unlock.
        Reference<css::document::XActionLockable> lock(
            Reference<XPropertySet>(doc_, UNO_QUERY_THROW)
                ->getPropertyValue(OUString("NamedRanges")),
            UNO_QUERY_THROW);
        if (hold)
            lock->addActionLock();
        else
            lock->removeActionLock();
    });
}

bool LoWorkbook::HasDrawLayer() const {
    bool has = true;
    try {
        Reference<XPropertySet>(doc_, UNO_QUERY_THROW)
            ->getPropertyValue(OUString("HasDrawPages")) >>= has;
    } catch (const css::uno::Exception&) {
        // Not known: as if it had one.
    }
    return has;
}

void LoWorkbook::EnsureDrawLayer() {
    if (drawLayer_)
        return;
    Call(QStringLiteral("図形の層を用意できません。"), [&] {
        // Asking for a draw page makes the document's drawing layer.
        Reference<css::container::XIndexAccess> pages(
            Reference<css::drawing::XDrawPagesSupplier>(doc_, UNO_QUERY_THROW)->getDrawPages(),
            UNO_QUERY_THROW);
        if (pages->getCount() > 0)
            pages->getByIndex(0);
    });
    drawLayer_ = true;
}

const Reference<css::sheet::XSpreadsheets>& LoWorkbook::Sheets() const {
    if (!sheets_.is())
        sheets_ = doc_->getSheets();
    return sheets_;
}

const Reference<css::lang::XMultiServiceFactory>& LoWorkbook::Factory() const {
    if (!factory_.is())
        factory_.set(doc_, UNO_QUERY_THROW);
    return factory_;
}

std::shared_ptr<LoWorksheet> LoWorkbook::Wrap(const Reference<css::sheet::XSpreadsheet>& sheet,
                                              const QString& knownName, int knownIndex) {
    auto wrapped = std::make_shared<LoWorksheet>(shared_from_this(), sheet);
    wrapped->Remember(knownName, knownIndex);
    return wrapped;
}

std::shared_ptr<LoWorksheet> LoWorkbook::SheetAt(int zeroBased, const QString& knownName) {
    Reference<css::sheet::XSpreadsheet> sheet;
    Call(QStringLiteral("シートを取得できません。"), [&] {
        Reference<css::container::XIndexAccess> sheets(Sheets(), UNO_QUERY_THROW);
        sheet.set(sheets->getByIndex(zeroBased), UNO_QUERY_THROW);
    });
    return Wrap(sheet, knownName, zeroBased);
}

std::shared_ptr<Worksheet> LoWorkbook::Worksheets(int index) {
    const int count = SheetCount();
    if (index < 1 || index > count)
        throw SheetError(SheetErrorKind::NoSuchItem,
                         QStringLiteral("インデックスが有効範囲にありません。"),
                         QStringLiteral("sheet %1 of %2").arg(index).arg(count));
    return SheetAt(index - 1);
}

std::shared_ptr<Worksheet> LoWorkbook::Worksheets(const QString& name) {
    session_->CheckOpen();
    Sequence<OUString> names;
    Call(QStringLiteral("シート名を取得できません。"),
         [&] { names = Sheets()->getElementNames(); });
    int found = -1;
    for (sal_Int32 i = 0; i < names.getLength() && found < 0; ++i)
        if (ToQ(names[i]) == name)
            found = i;
    for (sal_Int32 i = 0; i < names.getLength() && found < 0; ++i)
        if (ToQ(names[i]).compare(name, Qt::CaseInsensitive) == 0)
            found = i;
    if (found < 0)
        throw SheetError(SheetErrorKind::NoSuchItem,
                         QStringLiteral("インデックスが有効範囲にありません。"),
                         QStringLiteral("no sheet '%1' in %2").arg(name, name_));
    return SheetAt(found, ToQ(names[found]));
}

sal_Int32 LoWorkbook::FormatKey(const QString& format) {
    auto it = formatKeys_.constFind(format);
    if (it != formatKeys_.constEnd())
        return *it;
    sal_Int32 key = -1;
    Call(QStringLiteral("表示形式 '%1' を設定できません。").arg(format), [&] {
        Reference<css::util::XNumberFormatsSupplier> supplier(doc_, UNO_QUERY_THROW);
        Reference<css::util::XNumberFormats> formats = supplier->getNumberFormats();
        const css::lang::Locale locale(OUString("en"), OUString("US"), OUString());
        key = formats->queryKey(ToOU(format), locale, false);
        if (key < 0)
            key = formats->addNew(ToOU(format), locale);
    });
    formatKeys_.insert(format, key);
    return key;
}

void LoWorkbook::MakeActiveSheet(const Reference<css::sheet::XSpreadsheet>& sheet) {
    session_->activeSheet = Wrap(sheet);
    // Workbooks have no view (see NewSpreadsheetModel): the active sheet and
    // the selection live in the object model only, and a saved file opens on
    // the sheet the file itself names.
}

void LoWorkbook::SaveAs(const QString& fileName, int fileFormat, const QString& password) {
    session_->CheckOpen();
    const OUString filter = ExportFilter(fileFormat);
    if (filter.isEmpty())
        throw SheetError(SheetErrorKind::Failed,
                         QStringLiteral("ファイル形式 %1 では保存できません。").arg(fileFormat));
    QFileInfo info(fileName);
    QString path = info.absoluteFilePath();
    if (info.suffix().isEmpty())
        path += QLatin1Char('.') + FileFormatExtension(fileFormat);
    const QFileInfo target(path);
    const QString cannotSave = QStringLiteral("'%1' に保存できません。").arg(path);
    if (!target.absoluteDir().exists())
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave,
                         QStringLiteral("folder does not exist"));
    if (target.exists() && (!target.isFile() || !target.isWritable()))
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave,
                         QStringLiteral("file is read-only"));

    // Written next to the target and renamed over it: a failed save never
    // destroys the previous file.
    const QString temp = target.absolutePath() + QStringLiteral("/.~") + target.fileName() +
                         QStringLiteral(".%1.tmp").arg(getpid());
    QFile::remove(temp);
    KeepTextResults();
    if (fileFormat == xlNormal)
        PutChartDataOnSheets();
    TakeCopiedViews();
    const SheetViewsForSave views(session_->office->Context(), component_, views_);
    try {
        Call(cannotSave, [&] {
            Reference<css::frame::XStorable> storable(doc_, UNO_QUERY_THROW);
            std::vector<PropertyValue> props = {Prop("FilterName", Any(filter)),
                                                Prop("Overwrite", Any(true))};
            if (!password.isEmpty() &&
                (fileFormat == xlOpenXMLWorkbook || fileFormat == xlOpenXMLWorkbookMacroEnabled)) {
                // The OOXML export encrypts with the password it finds in the
                // encryption data (a plain password is ignored there), with
                // the standard scheme (this office writes no other).
                css::beans::NamedValue key[2];
                key[0].Name = OUString("OOXPassword");
                key[0].Value <<= ToOU(password);
                key[1].Name = OUString("CryptoType");
                key[1].Value <<= OUString("Standard");
                props.push_back(
                    Prop("EncryptionData", Any(Sequence<css::beans::NamedValue>(key, 2))));
            } else if (!password.isEmpty()) {
                props.push_back(Prop("Password", Any(ToOU(password))));
            }
            storable->storeToURL(ToOU(FileUrl(temp)),
                                 Sequence<PropertyValue>(props.data(), sal_Int32(props.size())));
        });
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    if (!QFileInfo(temp).isFile()) {
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave,
                         QStringLiteral("nothing written"));
    }
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString detail = QString::fromLocal8Bit(strerror(errno));
        QFile::remove(temp);
        throw SheetError(SheetErrorKind::CannotWrite, cannotSave, detail);
    }
    name_ = target.fileName();
    fullName_ = path;
    format_ = fileFormat;
}

void LoWorkbook::KeepTextResults() {
    // A saved file stores each formula's result for readers that do not
    // calculate. The office writes a formula cell's result by the kind of
    // value the formula was last known to give; for formulas read from a
    // file that kind stays "number" whatever they give, so a text result
    // ("SAAS", a HYPERLINK's caption) would be stored as 0. Entering such a
    // formula again lets the office learn its kind; an array formula is left
    // as it is (entering one of its cells alone would break it).
    Call(QStringLiteral("数式の結果を保存用に整えられません。"), [&] {
        Reference<css::container::XIndexAccess> sheets(Sheets(), UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
            Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(i), UNO_QUERY_THROW);
            Reference<css::sheet::XSheetCellRanges> ranges =
                Reference<css::sheet::XCellRangesQuery>(sheet, UNO_QUERY_THROW)
                    ->queryFormulaCells(css::sheet::FormulaResult::STRING);
            if (!ranges.is())
                continue;
            for (const css::table::CellRangeAddress& a : ranges->getRangeAddresses()) {
                Reference<css::sheet::XCellRangeFormula> block(
                    sheet->getCellRangeByPosition(a.StartColumn, a.StartRow, a.EndColumn, a.EndRow),
                    UNO_QUERY_THROW);
                Sequence<Sequence<OUString>> rows = block->getFormulaArray();
                bool plain = true;
                for (const auto& row : std::as_const(rows))
                    for (const OUString& f : row)
                        plain = plain && !f.startsWith("{");
                if (plain) {
                    block->setFormulaArray(rows);
                    continue;
                }
                for (sal_Int32 r = 0; r < rows.getLength(); ++r)
                    for (sal_Int32 c = 0; c < rows[r].getLength(); ++c)
                        if (!rows[r][c].startsWith("{"))
                            sheet->getCellByPosition(a.StartColumn + c, a.StartRow + r)
                                ->setFormula(rows[r][c]);
            }
        }
    });
}

void LoWorkbook::Close() {
    if (!doc_.is())
        return;
    Reference<css::lang::XComponent> component = component_;
    component_.clear();
    doc_.clear();
    sheets_.clear();
    factory_.clear();
    formatKeys_.clear();
    views_ = BookViews();
    classicViews_.reset();
    copiedViews_.clear();
    session_->Forget(this);
    try {
        Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else if (component.is())
            component->dispose();
    } catch (const css::uno::Exception&) {
        // A document that refuses to close goes with the office at Quit.
    }
}

} // namespace sheet::lo
