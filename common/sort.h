#pragma once

#include <QStringList>

namespace common {

// Orders `keys` descending (ordinal comparison, code unit by code unit) by an
// exchange sort, moving `companions` along with their keys. Equal keys are
// never swapped. Only the first `count` pairs take part (all when negative,
// and never more than either list holds).
void SortPairsDescending(QStringList& keys, QStringList& companions, int count = -1);

} // namespace common
