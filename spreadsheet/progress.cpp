#include "spreadsheet/progress.h"
#include "common/seam.h"

#include "common/messages.h"
#include "spreadsheet/gate.h"

#include <QCoreApplication>

namespace sheet {

namespace {

class NullView : public ProgressView {
public:
    void Show() override {}
    void Unload() override {}
    void SetLabelText(ProgressLabel, const QString&) override {}
    void SetLabelVisible(ProgressLabel, bool) override {}
    void SetBarValue(ProgressBar, int) override {}
    void SetBarVisible(ProgressBar, bool) override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }
};

bool g_cancelRequested = false;
int g_counter = 0;

} // namespace

common::Seam<ProgressView>& ProgressViewSeam() {
    static NullView nullView;
    static common::Seam<ProgressView> seam(nullView);
    return seam;
}

ProgressView& ProgressWindow() {
    return ProgressViewSeam().Get();
}

bool IsCancelRequested() {
    return g_cancelRequested;
}
void RequestCancel() {
    g_cancelRequested = true;
}
void ClearCancelFlag() {
    g_cancelRequested = false;
}

QString FormatCount(int value) {
    if (value == 0)
        return QString();
    const bool negative = value < 0;
    QString digits = QString::number(qAbs(qint64(value)));
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return negative ? QLatin1Char('-') + out : out;
}

void ShowPreparing() {
    ProgressView& view = ProgressWindow();
    view.Show();
    view.ProcessEvents();
    view.SetLabelText(ProgressLabel::Counter, QString());
    view.SetLabelText(ProgressLabel::SecondCounter, QString());
    view.SetBarValue(ProgressBar::Bar, 0);
    view.SetBarVisible(ProgressBar::Bar, false);
    view.SetLabelText(ProgressLabel::Task, QStringLiteral("準備中"));
    view.SetLabelText(ProgressLabel::Item, QString());
    view.ProcessEvents();
}

GateResult ShowPreparingAndRunGate() {
    ProgressView& view = ProgressWindow();
    view.SetBarVisible(ProgressBar::Bar2, false);
    ClearCancelFlag();
    ShowPreparing();
    const GateResult gate = RunExcelGate();
    if (!GateLetsRunProceed(gate))
        view.Unload();
    return gate;
}

bool EnterUninterruptible(const QString& note) {
    ProgressView& view = ProgressWindow();
    view.ProcessEvents();
    view.SetStopAllowed(false, note);
    view.ProcessEvents();
    return !IsCancelRequested();
}

void LeaveUninterruptible() {
    ProgressView& view = ProgressWindow();
    view.ProcessEvents();
    view.SetStopAllowed(true, QString());
}

void UpdateProgress(int current, int total, int interval) {
    ++g_counter;
    if (g_counter != interval)
        return;
    g_counter = 0;
    ProgressView& view = ProgressWindow();
    view.SetLabelText(ProgressLabel::Counter,
                      FormatCount(current) + QLatin1Char('/') + FormatCount(total));
    if (total != 0) {
        const double ratio = double(current) / double(total);
        if (ratio <= 1.0)
            view.SetBarValue(ProgressBar::Bar, int(ratio * 100.0));
    }
    view.ProcessEvents();
}

void ResetProgressCounter() {
    g_counter = 0;
}

bool ConfirmStop() {
    const common::MsgAnswer answer =
        common::ShowMessage(QStringLiteral("処理を中断してもよろしいですか？"),
                            common::MsgIcon::Question, common::MsgButtons::YesNo);
    if (answer != common::MsgAnswer::Yes)
        return false;
    RequestCancel();
    return true;
}

FormPosition CenterForm(int screenWidth, int screenHeight, int formWidth, int formHeight) {
    FormPosition pos{(screenWidth - formWidth) / 2, (screenHeight - formHeight) / 2};
    if (screenWidth > 19200)
        pos.left = (screenWidth / 2 - formWidth) / 2;
    return pos;
}

} // namespace sheet
