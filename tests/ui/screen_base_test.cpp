#include "common/ui/screen_base.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QVBoxLayout>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

#include "support/modal_driver.h"

namespace {

// A screen as the programs build them: two text boxes around an editable
// drop-down, a function-key button and a cancel button.
class SampleScreen : public ui::Screen {
public:
    explicit SampleScreen(QWidget* parent = nullptr) : ui::Screen(QStringLiteral("TEST1"), parent) {
        auto* layout = new QVBoxLayout(this);
        txtA = new QLineEdit(this);
        cmbB = new QComboBox(this);
        cmbB->setEditable(true);
        cmbB->addItems({QStringLiteral("1,000"), QStringLiteral("2,000")});
        txtC = new QLineEdit(this);
        auto* row = new QHBoxLayout;
        cmdF12 = new QPushButton(QStringLiteral("F12:実　行"), this);
        cmdEsc = new QPushButton(QStringLiteral("ESC:前画面"), this);
        row->addWidget(cmdF12);
        row->addWidget(cmdEsc);
        layout->addWidget(txtA);
        layout->addWidget(cmbB);
        layout->addWidget(txtC);
        layout->addLayout(row);
        SetFunctionButton(Qt::Key_F12, cmdF12);
        SetCancelButton(cmdEsc);
        QObject::connect(cmdF12, &QPushButton::clicked, [this] { ++f12Clicks; });
        QObject::connect(cmdEsc, &QPushButton::clicked, [this] { ++escClicks; });
        resize(400, 300);
    }

    QLineEdit* txtA;
    QComboBox* cmbB;
    QLineEdit* txtC;
    QPushButton* cmdF12;
    QPushButton* cmdEsc;
    int f12Clicks = 0;
    int escClicks = 0;
};

void ShowActive(QWidget* w) {
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
}

// The control that has the focus, with the editor of a drop-down counted as
// the drop-down.
QWidget* Focused() {
    QWidget* w = QApplication::focusWidget();
    if (w && qobject_cast<QComboBox*>(w->parentWidget()))
        return w->parentWidget();
    return w;
}

// What the window system sends when the user closes the window with its frame.
void SendFrameClose(QWidget* w) {
    QCloseEvent close;
    QSpontaneKeyEvent::setSpontaneous(&close);
    QApplication::sendEvent(w->windowHandle(), &close);
}

TEST(Screen, CaptionCentringAndTwips) {
    SampleScreen screen;
    EXPECT_EQ(screen.windowTitle(), QStringLiteral("(TEST1) "));
    ShowActive(&screen);
    const QRect display = screen.screen()->geometry();
    const QPoint centre = screen.frameGeometry().center();
    EXPECT_NEAR(centre.x(), display.center().x(), 2);
    EXPECT_NEAR(centre.y(), display.center().y(), 2);

    // 15 twips a pixel at 96 dpi: the hard-copy form's 11880 twips are 792 px.
    EXPECT_EQ(ui::Twips(11880), qRound(11880 * screen.screen()->logicalDotsPerInch() / 1440.0));
}

TEST(Screen, FunctionKeyFocusesAndPressesItsButtonOnlyWhenUsable) {
    SampleScreen screen;
    ShowActive(&screen);
    screen.txtA->setFocus();
    QTest::keyClick(screen.txtA, Qt::Key_F12);
    EXPECT_EQ(screen.f12Clicks, 1);
    EXPECT_EQ(Focused(), screen.cmdF12);

    // From inside a drop-down, too.
    screen.cmbB->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
    EXPECT_EQ(screen.f12Clicks, 2);

    // A disabled or hidden button is neither focused nor pressed.
    screen.txtC->setFocus();
    screen.cmdF12->setEnabled(false);
    QTest::keyClick(screen.txtC, Qt::Key_F12);
    EXPECT_EQ(screen.f12Clicks, 2);
    EXPECT_EQ(Focused(), screen.txtC);
    screen.cmdF12->setEnabled(true);
    screen.cmdF12->hide();
    QTest::keyClick(screen.txtC, Qt::Key_F12);
    EXPECT_EQ(screen.f12Clicks, 2);
    EXPECT_EQ(Focused(), screen.txtC);
    // The key does not reach the text box either.
    EXPECT_TRUE(screen.txtC->text().isEmpty());
}

TEST(Screen, EscPressesCancelButtonAndNeverClosesOnItsOwn) {
    SampleScreen screen;
    ShowActive(&screen);
    screen.txtA->setFocus();
    QTest::keyClick(screen.txtA, Qt::Key_Escape);
    EXPECT_EQ(screen.escClicks, 1);
    EXPECT_TRUE(screen.isVisible());

    screen.cmdEsc->setEnabled(false);
    QTest::keyClick(screen.txtA, Qt::Key_Escape);
    EXPECT_EQ(screen.escClicks, 1);
    EXPECT_TRUE(screen.isVisible());
}

TEST(Screen, EnterAndArrowsMoveBetweenSingleLineBoxes) {
    SampleScreen screen;
    ShowActive(&screen);
    screen.txtA->setFocus();
    const int items = screen.cmbB->count();
    const int index = screen.cmbB->currentIndex();

    QTest::keyClick(screen.txtA, Qt::Key_Return);
    EXPECT_EQ(Focused(), screen.cmbB);
    screen.cmbB->setEditText(QStringLiteral("12,345"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(Focused(), screen.txtC);
    QTest::keyClick(screen.txtC, Qt::Key_Up);
    EXPECT_EQ(Focused(), screen.cmbB);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(Focused(), screen.txtA);
    QTest::keyClick(screen.txtA, Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(Focused(), screen.txtC);

    // The drop-down neither stepped through its list nor took the typed text
    // in as a new entry.
    EXPECT_EQ(screen.cmbB->count(), items);
    EXPECT_EQ(screen.cmbB->currentIndex(), index);
    EXPECT_EQ(screen.cmbB->currentText(), QStringLiteral("12,345"));
}

TEST(Screen, EnterPressesOnlyTheFocusedButtonAndNoButtonIsDefault) {
    SampleScreen screen;
    // A default set while building does not survive the first show.
    screen.cmdF12->setDefault(true);
    ShowActive(&screen);
    for (QPushButton* b : {screen.cmdF12, screen.cmdEsc}) {
        EXPECT_FALSE(b->isDefault()) << b->text().toStdString();
        EXPECT_FALSE(b->autoDefault()) << b->text().toStdString();
    }

    // Enter in a text box moves on and presses nothing.
    screen.txtC->setFocus();
    QTest::keyClick(screen.txtC, Qt::Key_Return);
    EXPECT_EQ(screen.f12Clicks + screen.escClicks, 0);

    // Enter on a button presses that button, and the focus does not make it
    // the default.
    screen.cmdEsc->setFocus();
    QTest::keyClick(screen.cmdEsc, Qt::Key_Return);
    EXPECT_EQ(screen.escClicks, 1);
    EXPECT_EQ(screen.f12Clicks, 0);
    EXPECT_FALSE(screen.cmdEsc->isDefault());
    QTest::keyClick(screen.cmdEsc, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(screen.escClicks, 2);

    // A button added while the screen is in sight follows the same rule.
    auto* late = new QPushButton(QStringLiteral("追加"), &screen);
    int lateClicks = 0;
    QObject::connect(late, &QPushButton::clicked, [&] { ++lateClicks; });
    late->show();
    EXPECT_FALSE(late->autoDefault());
    late->setFocus();
    QTest::keyClick(late, Qt::Key_Return);
    EXPECT_EQ(lateClicks, 1);
    EXPECT_FALSE(late->isDefault());

    // Enter with a modifier presses nothing.
    QTest::keyClick(late, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(lateClicks, 1);
    EXPECT_EQ(screen.escClicks + screen.f12Clicks, 2);
}

TEST(Screen, FrameCloseActsAsCancelButtonButCloseFromCodeCloses) {
    SampleScreen screen;
    ShowActive(&screen);
    SendFrameClose(&screen);
    EXPECT_EQ(screen.escClicks, 1);
    EXPECT_TRUE(screen.isVisible());

    // A cancel handler that closes the screen itself is not called again.
    QObject::connect(screen.cmdEsc, &QPushButton::clicked, &screen, &QWidget::close);
    SendFrameClose(&screen);
    EXPECT_EQ(screen.escClicks, 2);
    EXPECT_FALSE(screen.isVisible());

    screen.show();
    screen.close();
    EXPECT_EQ(screen.escClicks, 2);
    EXPECT_FALSE(screen.isVisible());

    // Without a cancel button the frame closes the window.
    ui::Screen plain(QStringLiteral("PLAIN"));
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    SendFrameClose(&plain);
    EXPECT_FALSE(plain.isVisible());
}

TEST(Screen, ModalScreenReturnsWhenItsHandlerHidesIt) {
    SampleScreen owner;
    ShowActive(&owner);
    SampleScreen dialog(&owner);
    QObject::connect(dialog.cmdEsc, &QPushButton::clicked, &dialog, &QWidget::hide);
    bool sawKeys = false;
    testing_support::WhenModalShown([&](QWidget* modal) {
        sawKeys = modal == &dialog;
        dialog.txtA->setFocus();
        QTest::keyClick(dialog.txtA, Qt::Key_Escape);
    });
    dialog.exec();
    EXPECT_TRUE(sawKeys);
    EXPECT_EQ(dialog.escClicks, 1);
    EXPECT_EQ(owner.escClicks, 0);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
