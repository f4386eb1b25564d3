#include "common/seam.h"
#include "spreadsheet/ui/gate_windows.h"

#include "common/messages.h"
#include "spreadsheet/gate.h"

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
void WhenShown(std::function<void(sheet::RunningOfficeScreen*)> f) {
    QTimer::singleShot(0, [f] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<sheet::RunningOfficeScreen*>(w); d && d->isVisible())
                return f(d);
        ADD_FAILURE() << "dialog not shown";
    });
}

TEST(GateDialogWindow, HandsTheChoiceOverAndKeepsItWhileHidden) {
    sheet::GateDialogWindow dialog;
    WhenShown([](sheet::RunningOfficeScreen* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("ＥＸＣＥＬ２重起動"));
        EXPECT_TRUE(d->optAutoQuit->isChecked()); // selected when loaded
        d->optZokkou->click();
        d->cmdF12->click();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::Continue);
    ASSERT_TRUE(dialog.Form());
    EXPECT_FALSE(dialog.Form()->isVisible());

    WhenShown([](sheet::RunningOfficeScreen* d) {
        EXPECT_TRUE(d->optZokkou->isChecked()); // kept while only hidden
        d->cmdF12->click();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::Continue);

    // Closed by its frame: counts as the design-time selection.
    WhenShown([](sheet::RunningOfficeScreen* d) {
        d->optTyudan->click();
        if (d->FrameCloseRequested())
            d->close();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::AutoQuit);

    WhenShown([](sheet::RunningOfficeScreen* d) {
        d->optTyudan->click();
        d->cmdF12->click();
    });
    EXPECT_EQ(dialog.ShowModal(), GateChoice::Stop);
    dialog.Unload();
    EXPECT_FALSE(dialog.Form());
    WhenShown([](sheet::RunningOfficeScreen* d) { d->cmdF12->click(); });
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
    common::ScopedOverride<sheet::ProgressView> viewInPlace(sheet::ProgressViewSeam(), &view);
    sheet::ResetProgressCounter();
    view.Show();
    auto* form = view.Form();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("経過表示"));
    EXPECT_EQ(form->lblKen1->text(), QStringLiteral("2/2"));

    view.SetLabelText(sheet::ProgressLabel::Task, QStringLiteral("準備中"));
    view.SetBarVisible(sheet::ProgressBar::Bar, false);
    EXPECT_EQ(form->lblKey1->text(), QStringLiteral("準備中"));
    EXPECT_TRUE(form->proBAR->isHidden());
    sheet::UpdateProgress(1234, 2000, 1);
    EXPECT_EQ(form->lblKen1->text(), QStringLiteral("1,234/2,000"));
    EXPECT_EQ(form->proBAR->value(), 61);

    YesSink sink;
    const common::ScopedOverride sinkInPlace(common::MessageSinkSeam(), &sink);
    sheet::ClearCancelFlag();
    form->Command1->click();
    EXPECT_TRUE(sheet::IsCancelRequested());
    EXPECT_TRUE(form->isVisible()); // stays open
    // The frame's close button asks the same question and keeps the window.
    sheet::ClearCancelFlag();
    EXPECT_FALSE(form->FrameCloseRequested());
    EXPECT_EQ(sink.asked, 2);
    EXPECT_TRUE(sheet::IsCancelRequested());
    sheet::ClearCancelFlag();

    view.Unload();
    EXPECT_FALSE(view.Form());
}

struct NotRunningProbe : sheet::ExcelProbe {
    bool shownFirst = false;
    bool IsExcelInstalled() override {
        auto* view = static_cast<sheet::ProgressWindowView*>(&sheet::ProgressWindow());
        shownFirst = view->Form() && view->Form()->isVisible() &&
                     view->Form()->lblKey1->text() == QStringLiteral("準備中");
        return true;
    }
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
};

TEST(ProgressWindowView, ShownBeforeTheOfficeStartsWithOnlyWhatTheRunUses) {
    sheet::ProgressWindowView view;
    common::ScopedOverride<sheet::ProgressView> viewInPlace(sheet::ProgressViewSeam(), &view);
    NotRunningProbe probe;
    common::ScopedOverride<sheet::ExcelProbe> probeInPlace(sheet::ExcelProbeSeam(), &probe);
    view.SetLabelVisible(sheet::ProgressLabel::Counter, false);
    view.SetCountCaption(QStringLiteral("ブック"));
    EXPECT_EQ(sheet::ShowPreparingAndRunGate(), sheet::GateResult::NotRunning);
    EXPECT_TRUE(probe.shownFirst);
    auto* form = view.Form();
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->proBAR2->isHidden());
    EXPECT_TRUE(form->proBAR->isHidden());
    for (QLabel* idle : {form->lblKey3, form->lblKen2, form->lblKen4, form->lblD1})
        EXPECT_TRUE(idle->isHidden()) << idle->objectName().toStdString();
    EXPECT_TRUE(form->lblKenCaption->isHidden()); // hidden with its counter

    // The merge shows the counter with what it counts.
    view.SetLabelVisible(sheet::ProgressLabel::Counter, true);
    EXPECT_FALSE(form->lblKenCaption->isHidden());
    EXPECT_EQ(form->lblKenCaption->text(), QStringLiteral("ブック"));

    // A long book path is shortened in the middle: the start of the path and
    // the book's own name with its sheet stay in sight.
    const QString path = QStringLiteral("/home/user/") + QString(150, QChar(u'x')) +
                         QStringLiteral("/売上/10月売上.xls 東京支店");
    view.SetLabelText(sheet::ProgressLabel::Item, path);
    const QString shown = form->lblKey2->text();
    EXPECT_NE(shown, path);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/home/"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("10月売上.xls 東京支店"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_EQ(form->LabelText(sheet::ProgressLabel::Item), path);
    EXPECT_LT(form->width(), form->fontMetrics().horizontalAdvance(path)); // it did not grow
    view.Unload();
}

TEST(ProgressWindowView, StopBeforeTheSaveIsHonouredAndDuringItIsRefused) {
    sheet::ProgressWindowView view;
    common::ScopedOverride<sheet::ProgressView> viewInPlace(sheet::ProgressViewSeam(), &view);
    view.Show();
    auto* form = view.Form();
    ASSERT_TRUE(form);
    YesSink sink;
    const common::ScopedOverride sinkInPlace(common::MessageSinkSeam(), &sink);
    sheet::ClearCancelFlag();

    // Nothing asked: the save may begin; the window says so and the button
    // cannot be pressed.
    EXPECT_TRUE(sheet::EnterUninterruptible());
    EXPECT_FALSE(form->Command1->isEnabled());
    EXPECT_FALSE(form->lblStopNote->isHidden());
    EXPECT_EQ(form->lblStopNote->text(), QStringLiteral("保存中…"));
    form->Command1->click();
    EXPECT_EQ(sink.asked, 0);
    sheet::LeaveUninterruptible();
    EXPECT_TRUE(form->Command1->isEnabled());
    EXPECT_TRUE(form->lblStopNote->isHidden());
    EXPECT_FALSE(sheet::IsCancelRequested());

    // A click still waiting in the queue when the save is about to begin is
    // answered first, and the run hears of it.
    QTimer::singleShot(0, form->Command1, &QPushButton::click);
    EXPECT_FALSE(sheet::EnterUninterruptible());
    EXPECT_EQ(sink.asked, 1);
    EXPECT_TRUE(sheet::IsCancelRequested());
    sheet::LeaveUninterruptible();

    sheet::ClearCancelFlag();
    view.Unload();
}

} // namespace
