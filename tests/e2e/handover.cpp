#include "e2e/handover.h"

#include <QElapsedTimer>
#include <QThread>

namespace e2e {

int MarkBluePixels(const QImage& picture, const QRect& area) {
    int count = 0;
    const QRect inside = area.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.blue() >= 200 && c.red() < 90 && c.green() < 90)
                ++count;
        }
    }
    return count;
}

QImage WaitForMarking(const QString& windowId, const QRect& area, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QImage picture;
    do {
        picture = desktop::Grab(windowId);
        if (MarkBluePixels(picture, area) > 10)
            break;
        QThread::msleep(100);
    } while (clock.elapsed() < timeoutMs);
    return picture;
}

void HandOverTest::SetUp() {
    QString why;
    if (!desktop::Available(&why))
        GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(session.IsValid());
    ASSERT_TRUE(Session::ProgramBuilt(QStringLiteral("HUBMENU")));
    ASSERT_TRUE(Session::ProgramBuilt(QStringLiteral("COSTSUB")));
}

bool HandOverTest::Need(const QString& program) {
    return Session::ProgramBuilt(program);
}

} // namespace e2e
