#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace testing_support {

inline const char* const kModalDriverName = "testing_support_modal_driver";

// Runs `action` on the next modal window that opens (polling from the event
// loop), so that a test can answer a modal dialog shown by the code under test.
// Gives up after `timeoutMs`; CancelModalActions drops those still waiting
// (call it at the end of a test so that none answers the next test's dialog).
// The time is measured on the clock: on a loaded machine a dialog can take
// seconds to appear, and a driver that gave up early would leave it open.
inline void WhenModalShown(std::function<void(QWidget*)> action, QWidget* notThis = nullptr,
                           int timeoutMs = 60000) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QString::fromLatin1(kModalDriverName));
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action, notThis, clock, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != notThis && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

inline void CancelModalActions() {
    const auto timers = qApp->findChildren<QTimer*>(QString::fromLatin1(kModalDriverName),
                                                    Qt::FindDirectChildrenOnly);
    for (QTimer* timer : timers) {
        timer->stop();
        timer->setObjectName(QString());
        timer->deleteLater();
    }
}

} // namespace testing_support
