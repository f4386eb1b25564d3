#include "e2e/handover.h"

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
