#pragma once

#include <QByteArray>

namespace common {

// The character set of the process's locale as the C library sees it
// ("UTF-8", "ANSI_X3.4-1968", ...). A locale that is named but not installed
// counts as the C locale, as it does for every program started from here.
QByteArray LocaleCharset();

// Makes the programs this process starts convert file names as UTF-8: when the
// user's locale is not a UTF-8 one (unset, C, POSIX, or a UTF-8 locale that is
// not installed), LC_CTYPE is set to C.UTF-8 in the environment. The office
// converts file paths with its process's character set, and Japanese file
// names fail without it. The language settings (LANG, LC_MESSAGES) stay as
// they are; an LC_ALL that would override LC_CTYPE is moved to LANG. Call it
// while the process has no other threads: it changes the environment.
void UseUtf8CharsetForChildren();

} // namespace common
