#pragma once

#include "e2e/desktop.h"
#include "e2e/session.h"

#include <QImage>
#include <QRect>
#include <gtest/gtest.h>

namespace e2e {

// Captions of the windows, as xdotool's regular expressions. A message box
// is titled with its program's identifier alone.
inline const QString kLauncherWindow = QStringLiteral("\\(HUBMENU1\\)");
inline const QString kCalculatorWindow = QStringLiteral("\\(COSTCMP1\\)");
inline const QString kCompanionWindow = QStringLiteral("\\(COSTSUB1\\)");
inline QString MessageBoxOf(const QString& program) {
    return QStringLiteral("^") + program + QStringLiteral("$");
}

// Generous: programs start slowly on a loaded machine. Waits poll.
constexpr int kWaitMs = 30000;

// Places in the launcher's window, in pixels (twips / 15).
inline const QRect kCostcmpButton(572, 94, 191, 21);
inline const QRect kBookmrgButton(586, 486, 177, 19);
inline const QRect kReadMeButton(555, 338, 208, 21);
inline QPoint ThumbnailCentre(int n) {
    return QPoint(44 + 2 + (n - 1) * 30 + 14, 40 + 1 + 10);
}

// Pixels of the marking blue (0, 0, 255) in a part of a window's picture.
int MarkBluePixels(const QImage& picture, const QRect& area);

// Polls the window's picture until the area shows the marking blue (the
// launcher marks its button right after the window appears); the last
// picture taken.
QImage WaitForMarking(const QString& windowId, const QRect& area, int timeoutMs);

// A test of the real programs on the display, each in its own sandbox.
class HandOverTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { session.KillAll(); }

    // Skips the test when the program has not been built (yet).
    bool Need(const QString& program);

    Session session;
};

} // namespace e2e
