#pragma once

#include <QApplication>
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
inline void WhenModalShown(std::function<void(QWidget*)> action, QWidget* notThis = nullptr,
                           int timeoutMs = 5000) {
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QString::fromLatin1(kModalDriverName));
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action, notThis, elapsed, timeoutMs] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != notThis && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        *elapsed += 10;
        if (*elapsed > timeoutMs) {
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
