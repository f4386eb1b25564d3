#pragma once

#include "common/ui/screen_base.h"

class QPushButton;
class QStatusBar;

namespace costsub {

inline const QString kCalculatorId = QStringLiteral("COSTCMP");
inline const QString kMenuId = QStringLiteral("HUBMENU");

// The closing screen of a cost comparison run: says that the processing has
// finished and leads on to the calculator (F12) or to the menu (Esc).
class CompanionScreen : public ui::Screen {
    Q_OBJECT
public:
    explicit CompanionScreen(QWidget* parent = nullptr);

    // Shows the window behind the other windows without taking the focus.
    void Open();

    QPushButton* RunButton() const { return cmdF12_; }
    QPushButton* MenuButton() const { return cmdEsc_; }

protected:
    bool FrameCloseRequested() override;

private:
    // Unloads the window, starts `program` and ends COSTSUB in any case.
    void HandOver(const QString& program);

    QPushButton* cmdF12_ = nullptr;
    QPushButton* cmdEsc_ = nullptr;
    QStatusBar* status_ = nullptr;
};

} // namespace costsub
