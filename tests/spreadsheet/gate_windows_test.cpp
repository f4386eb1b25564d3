#include "spreadsheet/ui/gate_windows.h"

#include "common/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using sheet::GateChoice;

// Runs f once the modal dialog is up.
void WhenShown(std::function<void(sheet::Frm_excel2jyu*)> f) {
    QTimer::singleShot(0, [f] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<sheet::Frm_excel2jyu*>(w); d && d->isVisible())
                return f(d);
        ADD_FAILURE() << "dialog not shown";
    });
}

TEST(GateDialogWindow, HandsTheChoiceOverAndKeepsItWhileHidden) {
    sheet::GateDialogWindow dialog;
    WhenShown([](sheet::Frm_excel2jyu* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("ＥＸＣＥＬ２重起動"));
        EXPECT_TRUE(d->optAutoQuit->isChecked()); // selected when loaded
        d->optZokkou->click();
        d->cmdF12->click();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::Zokkou);
    ASSERT_TRUE(dialog.Form());
    EXPECT_FALSE(dialog.Form()->isVisible());

    WhenShown([](sheet::Frm_excel2jyu* d) {
        EXPECT_TRUE(d->optZokkou->isChecked()); // kept while only hidden
        d->cmdF12->click();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::Zokkou);

    // Closed by its frame: counts as the design-time selection.
    WhenShown([](sheet::Frm_excel2jyu* d) {
        d->optTyudan->click();
        if (d->FrameCloseRequested())
            d->close();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::AutoQuit);

    WhenShown([](sheet::Frm_excel2jyu* d) {
        d->optTyudan->click();
        d->cmdF12->click();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::Tyudan);
    dialog.Unload();
    EXPECT_FALSE(dialog.Form());
    WhenShown([](sheet::Frm_excel2jyu* d) { d->cmdF12->click(); });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::AutoQuit);
    dialog.Unload();
}

struct YesSink : common::MessageSink {
    int asked = 0;
    common::MsgAnswer Show(const QString&, const QString&, common::MsgIcon,
                           common::MsgButtons) override {
        ++asked;
        return common::MsgAnswer::Yes;
    }
};

TEST(ProgressWindowView, ShowsProgressAndTheStopButtonRaisesTheFlag) {
    sheet::ProgressWindowView view;
    sheet::SetProgressView(&view);
    sheet::ResetProgressCounter();
    view.Show();
    auto* form = view.Form();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("経過表示"));
    EXPECT_EQ(form->lblKen1->text(), QStringLiteral("2/2"));

    view.SetLabelText(sheet::ProgressLabel::Key1, QStringLiteral("準備中"));
    view.SetBarVisible(sheet::ProgressBar::Bar, false);
    EXPECT_EQ(form->lblKey1->text(), QStringLiteral("準備中"));
    EXPECT_TRUE(form->proBAR->isHidden());
    sheet::UpdateProgress(1234, 2000, 1);
    EXPECT_EQ(form->lblKen1->text(), QStringLiteral("1,234/2,000"));
    EXPECT_EQ(form->proBAR->value(), 61);

    YesSink sink;
    common::SetMessageSink(&sink);
    sheet::ClearCancelFlag();
    form->Command1->click();
    EXPECT_EQ(sheet::CancelFlag(), QStringLiteral("CAN"));
    EXPECT_TRUE(form->isVisible()); // stays open
    // The frame's close button asks the same question and keeps the window.
    sheet::ClearCancelFlag();
    EXPECT_FALSE(form->FrameCloseRequested());
    EXPECT_EQ(sink.asked, 2);
    EXPECT_EQ(sheet::CancelFlag(), QStringLiteral("CAN"));
    common::SetMessageSink(nullptr);
    sheet::ClearCancelFlag();

    view.Unload();
    EXPECT_FALSE(view.Form());
    sheet::SetProgressView(nullptr);
}

} // namespace
