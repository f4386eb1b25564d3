#include "spreadsheet/gate.h"

#include "common/messages.h"

#include <QCoreApplication>
#include <QThread>

namespace sheet {

namespace {

class RealClock : public GateClock {
public:
    void DoEvents() override { QCoreApplication::processEvents(); }
    void Sleep(int milliseconds) override { QThread::msleep(milliseconds); }
};

ExcelProbe* g_probe = nullptr;
GateDialog* g_dialog = nullptr;
GateClock* g_clock = nullptr;

} // namespace

// Defined by the LibreOffice backend.
ExcelProbe& DefaultExcelProbe();

int RunExcelGate(ExcelProbe& probe, GateDialog& dialog, GateClock& clock) {
    using common::MsgButtons;
    using common::MsgIcon;

    if (!probe.IsExcelInstalled()) {
        common::ShowMessage(
            common::JoinLines({QStringLiteral("Excelがインスツールされていない、または"),
                               QStringLiteral("Excelのバージョンを認識できません。"),
                               QStringLiteral("この処理は実行できません。")}),
            MsgIcon::Critical, MsgButtons::Ok);
        return kGateUnavailable;
    }
    if (!probe.IsExcelRunning())
        return kGateNotRunning;

    GateChoice choice = dialog.ShowModal();
    if (choice == GateChoice::Tyudan) {
        dialog.Unload();
        return kGateStopped;
    }

    int outcome = kGateNotRunning;
    if (choice == GateChoice::Zokkou) {
        for (int pass = 0; pass < kZokkouPasses; ++pass) {
            if (!probe.IsExcelRunning()) {
                outcome = kGateUserClosed;
                break;
            }
            common::ShowMessage(QStringLiteral("Excel はまだ起動しています"), MsgIcon::None,
                                MsgButtons::Ok);
            choice = dialog.ShowModal();
            if (choice == GateChoice::Tyudan) {
                dialog.Unload();
                outcome = kGateStopped;
                break;
            }
            if (choice == GateChoice::AutoQuit) {
                outcome = kGateAutoClosed;
                break;
            }
        }
    }

    if (choice == GateChoice::AutoQuit) {
        // The instance is asked once; after that the gate only watches for
        // it to go. Asking again would put the instance's question about
        // unsaved documents back in front of the user every time it is
        // answered with Cancel.
        bool asked = false;
        bool refused = false;
        for (int wait = 0; wait < kAutoQuitWaits; ++wait) {
            clock.DoEvents();
            clock.Sleep(kAutoQuitWaitMs);
            if (!asked) {
                asked = true;
                if (!probe.CloseRunningExcel())
                    break;
                refused = probe.CloseRefused();
                if (refused)
                    break;
            } else if (!probe.IsExcelRunning()) {
                break;
            }
        }
        if (refused || (asked && probe.IsExcelRunning())) {
            outcome = kGateUnavailable;
            common::ShowMessage(QStringLiteral("EXCELが終了できません"), MsgIcon::None,
                                MsgButtons::Ok);
        } else {
            outcome = kGateAutoClosed;
        }
        dialog.Unload();
    }
    return outcome;
}

void SetExcelProbe(ExcelProbe* probe) {
    g_probe = probe;
}
void SetGateDialog(GateDialog* dialog) {
    g_dialog = dialog;
}
void SetGateClock(GateClock* clock) {
    g_clock = clock;
}

ExcelProbe& CurrentExcelProbe() {
    return g_probe ? *g_probe : DefaultExcelProbe();
}

int RunExcelGate() {
    static RealClock realClock;
    GateClock& clock = g_clock ? *g_clock : realClock;
    if (!g_dialog) {
        // A program without its gate window cannot ask the user; refusing is
        // the safe answer when an instance is open.
        class RefusingDialog : public GateDialog {
        public:
            GateChoice ShowModal() override { return GateChoice::Tyudan; }
            void Unload() override {}
        } refusing;
        return RunExcelGate(CurrentExcelProbe(), refusing, clock);
    }
    return RunExcelGate(CurrentExcelProbe(), *g_dialog, clock);
}

bool IsExcelInstalled() {
    return CurrentExcelProbe().IsExcelInstalled();
}
bool IsExcelRunning() {
    return CurrentExcelProbe().IsExcelRunning();
}
bool CloseRunningExcel() {
    return CurrentExcelProbe().CloseRunningExcel();
}

QString CutAtNul(const QString& text) {
    const int p = FindText(text, QString(QChar(0)));
    return p > 0 ? text.left(p - 1) : text;
}

int FindText(const QString& text, const QString& sought) {
    return FindText(1, text, sought, 1);
}

int FindText(int start, const QString& text, const QString& sought, int mode) {
    if (start < 1)
        return 0;
    const Qt::CaseSensitivity cs = mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (start > text.size() + 1)
        return 0;
    const qsizetype at = text.indexOf(sought, start - 1, cs);
    return at < 0 ? 0 : int(at) + 1;
}

} // namespace sheet
