#pragma once

#include <QCoreApplication>

namespace common {

// Lets pending window events run `times` times, so that windows stay painted
// and hand-overs settle at fixed points of the single-threaded programs.
inline void LetEventsRun(int times = 1) {
    for (int i = 0; i < times; ++i)
        QCoreApplication::processEvents();
}

} // namespace common
