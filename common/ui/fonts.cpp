#include "common/ui/fonts.h"

#include <QFont>
#include <QStringList>

namespace ui {

void InstallFontSubstitutes() {
    QFont::insertSubstitutions(kMincho, QStringList() << QStringLiteral("IPAMincho")
                                                      << QStringLiteral("IPAexMincho"));
    QFont::insertSubstitutions(kGothic, QStringList() << QStringLiteral("IPAGothic")
                                                      << QStringLiteral("IPAexGothic"));
    QFont::insertSubstitutions(kPGothic, QStringList() << QStringLiteral("IPAPGothic")
                                                       << QStringLiteral("IPAexGothic"));
}

} // namespace ui
