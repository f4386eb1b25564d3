// Calls into the office and the errors they raise, and the state shared by
// the objects of one application.

#include "spreadsheet/lo/calls.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XNamedRange.hpp>
#include <com/sun/star/sheet/XNamedRanges.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

namespace sheet::lo {

namespace {

const QString kLostConnection = QStringLiteral("表計算アプリケーションとの接続が切れました。");

} // namespace

PropertyValue Prop(const char* name, const Any& value) {
    PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

css::table::CellRangeAddress AddressOf(const Reference<css::table::XCellRange>& range) {
    Reference<css::sheet::XCellRangeAddressable> a(range, UNO_QUERY_THROW);
    return a->getRangeAddress();
}

void Call(const QString& whatFailed, const std::function<void()>& call) {
    try {
        call();
    } catch (const SheetError&) {
        throw;
    } catch (const css::lang::DisposedException& e) {
        throw SheetError(SheetErrorKind::OfficeLost, kLostConnection, ToQ(e.Message));
    } catch (const css::uno::RuntimeException& e) {
        // A broken bridge shows up as a plain runtime error on some calls.
        const QString detail = ToQ(e.Message);
        if (detail.contains(QStringLiteral("dispos"), Qt::CaseInsensitive) ||
            detail.contains(QStringLiteral("Binary URP bridge"), Qt::CaseInsensitive))
            throw SheetError(SheetErrorKind::OfficeLost, kLostConnection, detail);
        throw SheetError(SheetErrorKind::Failed, whatFailed, detail);
    } catch (const css::uno::Exception& e) {
        throw SheetError(SheetErrorKind::Failed, whatFailed, ToQ(e.Message));
    }
}

void Session::CheckOpen() const {
    if (quit || !office)
        throw SheetError(SheetErrorKind::OfficeLost, kLostConnection,
                         QStringLiteral("application has quit"));
}

void Session::Forget(LoWorkbook* book) {
    if (activeSheet && activeSheet->Book().get() == book)
        activeSheet.reset();
    if (selection && selection->Sheet()->Book().get() == book)
        selection.reset();
    for (auto it = books.begin(); it != books.end(); ++it) {
        if (it->get() == book) {
            books.erase(it);
            break;
        }
    }
}

void PutNamedRange(const Reference<XPropertySet>& owner, const DefinedName& name,
                   const css::table::CellAddress& base) {
    Reference<css::sheet::XNamedRanges> names(owner->getPropertyValue(OUString("NamedRanges")),
                                              UNO_QUERY_THROW);
    const OUString key = ToOU(name.name);
    if (names->hasByName(key))
        Reference<css::sheet::XNamedRange>(names->getByName(key), UNO_QUERY_THROW)
            ->setContent(ToOU(name.content));
    else
        names->addNewByName(key, ToOU(name.content), base, 0);
}

} // namespace sheet::lo
