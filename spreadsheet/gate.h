#pragma once

// The gate every workbook-producing run passes first: is the spreadsheet
// application installed, is an instance of it open, and if so let the user
// stop, close it by hand or have it closed.

#include <QString>

// Declared in common/seam.h, which those who replace a collaborator include.
namespace common {
template <class T> class Seam;
} // namespace common

namespace sheet {

// What the gate found and did; the values are the classic result codes.
enum class GateResult : int {
    NotRunning = 0,  // no instance was open: proceed
    Stopped = 1,     // the user chose to stop: leave without the work
    UserClosed = 2,  // the user closed the instance: proceed
    AutoClosed = 3,  // the gate closed the instance: proceed
    Unavailable = 4, // not installed / not startable / does not close: leave
};

// True when the run may go on after the gate.
inline bool GateLetsRunProceed(GateResult result) {
    return result != GateResult::Stopped && result != GateResult::Unavailable;
}

// What the gate asks of the outside world.
class ExcelProbe {
public:
    virtual ~ExcelProbe() = default;
    // True when a new private instance can be started.
    virtual bool IsExcelInstalled() = 0;
    // True when an instance the user runs is found.
    virtual bool IsExcelRunning() = 0;
    // True when a running instance was found and has been asked to close.
    virtual bool CloseRunningExcel() = 0;
    // True when the last request of CloseRunningExcel was turned down: the
    // user answered Cancel to the instance's own question about unsaved
    // documents, or nobody could be asked without losing them.
    virtual bool CloseRefused() { return false; }
};

// The choices of the dialog RunningOfficeScreen: stop the processing (optTyudan),
// continue after the user closed the instance by hand (optZokkou), close it
// automatically and continue (optAutoQuit).
enum class GateChoice { Stop, Continue, AutoQuit };

// RunningOfficeScreen as the gate sees it. While only hidden it keeps the user's
// last choice; Unload forgets it (the next show starts at AutoQuit). A dialog
// closed by its frame answers AutoQuit.
class GateDialog {
public:
    virtual ~GateDialog() = default;
    virtual GateChoice ShowModal() = 0;
    virtual void Unload() = 0;
};

// Lets pending events run and waits; a seam so that tests do not sleep.
class GateClock {
public:
    virtual ~GateClock() = default;
    virtual void DoEvents() = 0;
    virtual void Sleep(int milliseconds) = 0;
};

inline constexpr int kContinuePasses = 1000;
inline constexpr int kAutoQuitWaits = 7200;
inline constexpr int kAutoQuitWaitMs = 500;

// RunExcelGate with explicit collaborators; shows its messages through
// common::ShowMessage.
GateResult RunExcelGate(ExcelProbe& probe, GateDialog& dialog, GateClock& clock);
// RunExcelGate with the installed collaborators (see below).
GateResult RunExcelGate();

// The collaborators of RunExcelGate(), replaced with common::ScopedOverride:
// the probe (by default none: the application counts as not installed; the
// backend puts its own in place, sheet::lo::InstallBackend()), the dialog (by
// default one that answers Stop; the program's screens put theirs in place,
// sheet::InstallGateWindows()) and the clock (the real one).
common::Seam<ExcelProbe>& ExcelProbeSeam();
common::Seam<GateDialog>& GateDialogSeam();
common::Seam<GateClock>& GateClockSeam();
// The probe in place now.
ExcelProbe& CurrentExcelProbe();

// Full path of the spreadsheet application's executable for a classic
// executable name ("EXCEL.EXE"): the office launcher found on PATH or in its
// standard install folder; empty when there is none.
QString GetAppPath(const QString& executableName);
// The office launcher ("soffice") on PATH or in its standard install folder;
// empty when there is none.
QString OfficeLauncher();

} // namespace sheet
