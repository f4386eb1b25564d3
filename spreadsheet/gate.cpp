#include "spreadsheet/gate.h"
#include "common/seam.h"

#include "common/messages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace sheet {

namespace {

class RealClock : public GateClock {
public:
    void DoEvents() override { QCoreApplication::processEvents(); }
    void Sleep(int milliseconds) override { QThread::msleep(milliseconds); }
};

// Without an installed backend there is no application to start: the gate
// answers that it is not installed.
class AbsentProbe : public ExcelProbe {
public:
    bool IsExcelInstalled() override { return false; }
    bool IsExcelRunning() override { return false; }
    bool CloseRunningExcel() override { return false; }
};

// A program without its gate window cannot ask the user; refusing is the
// safe answer when an instance is open.
class RefusingDialog : public GateDialog {
public:
    GateChoice ShowModal() override { return GateChoice::Stop; }
    void Unload() override {}
};

} // namespace

GateResult RunExcelGate(ExcelProbe& probe, GateDialog& dialog, GateClock& clock) {
    using common::MsgButtons;
    using common::MsgIcon;

    if (!probe.IsExcelInstalled()) {
        common::ShowMessage(
            common::JoinLines({QStringLiteral("Excelがインスツールされていない、または"),
                               QStringLiteral("Excelのバージョンを認識できません。"),
                               QStringLiteral("この処理は実行できません。")}),
            MsgIcon::Critical, MsgButtons::Ok);
        return GateResult::Unavailable;
    }
    if (!probe.IsExcelRunning())
        return GateResult::NotRunning;

    GateChoice choice = dialog.ShowModal();
    if (choice == GateChoice::Stop) {
        dialog.Unload();
        return GateResult::Stopped;
    }

    GateResult outcome = GateResult::NotRunning;
    if (choice == GateChoice::Continue) {
        for (int pass = 0; pass < kContinuePasses; ++pass) {
            if (!probe.IsExcelRunning()) {
                outcome = GateResult::UserClosed;
                break;
            }
            common::ShowMessage(QStringLiteral("Excel はまだ起動しています"), MsgIcon::None,
                                MsgButtons::Ok);
            choice = dialog.ShowModal();
            if (choice == GateChoice::Stop) {
                dialog.Unload();
                outcome = GateResult::Stopped;
                break;
            }
            if (choice == GateChoice::AutoQuit) {
                outcome = GateResult::AutoClosed;
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
            outcome = GateResult::Unavailable;
            common::ShowMessage(QStringLiteral("EXCELが終了できません"), MsgIcon::None,
                                MsgButtons::Ok);
        } else {
            outcome = GateResult::AutoClosed;
        }
        dialog.Unload();
    }
    return outcome;
}

common::Seam<ExcelProbe>& ExcelProbeSeam() {
    static AbsentProbe absent;
    static common::Seam<ExcelProbe> seam(absent);
    return seam;
}

common::Seam<GateDialog>& GateDialogSeam() {
    static RefusingDialog refusing;
    static common::Seam<GateDialog> seam(refusing);
    return seam;
}

common::Seam<GateClock>& GateClockSeam() {
    static RealClock real;
    static common::Seam<GateClock> seam(real);
    return seam;
}

ExcelProbe& CurrentExcelProbe() {
    return ExcelProbeSeam().Get();
}

GateResult RunExcelGate() {
    return RunExcelGate(ExcelProbeSeam().Get(), GateDialogSeam().Get(), GateClockSeam().Get());
}

QString OfficeLauncher() {
    QString path = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (path.isEmpty() &&
        QFileInfo(QStringLiteral("/usr/lib/libreoffice/program/soffice")).isExecutable())
        path = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    return path;
}

QString GetAppPath(const QString& executableName) {
    Q_UNUSED(executableName);
    return OfficeLauncher();
}

} // namespace sheet
