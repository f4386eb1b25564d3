#include "common/locale_env.h"

#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace common {

QByteArray LocaleCharset() {
    // newlocale with "" reads LC_ALL, LC_CTYPE and LANG as setlocale does,
    // without changing this process's own locale.
    locale_t locale = newlocale(LC_CTYPE_MASK, "", locale_t(0));
    if (locale == locale_t(0))
        locale = newlocale(LC_CTYPE_MASK, "C", locale_t(0));
    if (locale == locale_t(0))
        return QByteArray();
    const QByteArray charset(nl_langinfo_l(CODESET, locale));
    freelocale(locale);
    return charset;
}

void UseUtf8CharsetForChildren() {
    if (LocaleCharset() == "UTF-8")
        return;
    const QByteArray all = qgetenv("LC_ALL");
    if (!all.isEmpty()) {
        qputenv("LANG", all);
        qunsetenv("LC_ALL");
    }
    qputenv("LC_CTYPE", "C.UTF-8");
}

} // namespace common
