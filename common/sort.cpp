#include "common/sort.h"

namespace common {

void SortPairsDescending(QStringList& keys, QStringList& companions, int count) {
    qsizetype n = qMin(keys.size(), companions.size());
    if (count >= 0)
        n = qMin<qsizetype>(n, count);
    for (qsizetype i = 0; i + 1 < n; ++i) {
        for (qsizetype j = i + 1; j < n; ++j) {
            if (QString::compare(keys[i], keys[j], Qt::CaseSensitive) < 0) {
                keys.swapItemsAt(i, j);
                companions.swapItemsAt(i, j);
            }
        }
    }
}

} // namespace common
