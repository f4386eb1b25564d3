#include "common/ui/window_order.h"

#include <QWidget>

namespace ui {

namespace {

// Shows the window without activating it; the attribute is put back so that a
// later modal show activates the window as usual.
void ShowWithoutActivating(QWidget* form) {
    const bool had = form->testAttribute(Qt::WA_ShowWithoutActivating);
    form->setAttribute(Qt::WA_ShowWithoutActivating, true);
    form->show();
    form->setAttribute(Qt::WA_ShowWithoutActivating, had);
}

} // namespace

void KeepOnTop(QWidget* form) {
    if (!form)
        return;
    // Changing the flags of a shown window hides it; it is shown again below.
    if (!(form->windowFlags() & Qt::WindowStaysOnTopHint))
        form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    ShowWithoutActivating(form);
    form->raise();
}

void SendToBottom(QWidget* form) {
    if (!form)
        return;
    if (form->windowFlags() & Qt::WindowStaysOnTopHint)
        form->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    ShowWithoutActivating(form);
    form->lower();
}

} // namespace ui
