#pragma once

// UNO headers and conversions shared by the LibreOffice backend.

#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <QString>

namespace sheet::lo {

namespace css = ::com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using ::rtl::OUString;

inline OUString ToOU(const QString& s) {
    return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), sal_Int32(s.size()));
}
inline QString ToQ(const OUString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}
QString FileUrl(const QString& path);

template <typename T> css::uno::Sequence<T> SeqOf(std::initializer_list<T> items) {
    return css::uno::Sequence<T>(items.begin(), sal_Int32(items.size()));
}

} // namespace sheet::lo
