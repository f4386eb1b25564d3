#pragma once

// The progress window ProgressScreen as the engines drive it, the shared cancel
// flag and the progress counter.

#include "spreadsheet/gate.h"

#include <QString>

// Declared in common/seam.h, which those who replace a collaborator include.
namespace common {
template <class T> class Seam;
} // namespace common

namespace sheet {

// The labels of the window, by what they show (their widgets: lblKey1,
// lblKey2, lblKey3, lblKen1, lblKen2, lblKen4, lblD1).
enum class ProgressLabel {
    Task,          // what the run does ("準備中", "シートまとめ")
    Item,          // the book and sheet being worked on
    ItemDetail,    // more about the item; unused by the runs so far
    Counter,       // "current/total", written by UpdateProgress
    SecondCounter, // a second count
    Note,          // a short note beside the counts
    Footnote,      // a line under the bars
};
enum class ProgressBar { Bar, Bar2 }; // proBAR, proBAR2; both 0..100

class ProgressView {
public:
    virtual ~ProgressView() = default;
    // Shows the window without blocking and brings it to the front.
    virtual void Show() = 0;
    virtual void Unload() = 0;
    virtual void SetLabelText(ProgressLabel label, const QString& text) = 0;
    virtual void SetLabelVisible(ProgressLabel label, bool visible) = 0;
    virtual void SetBarValue(ProgressBar bar, int value) = 0;
    virtual void SetBarVisible(ProgressBar bar, bool visible) = 0;
    // Lets pending window events run (the stop button is handled here).
    virtual void ProcessEvents() = 0;
    // Says what the Counter label counts ("ブック", "シート"); shown
    // beside it and hidden with it. A view may leave it out.
    virtual void SetCountCaption(const QString& caption) { (void)caption; }
    // While a step cannot be stopped the stop button is disabled and `note`
    // says why ("保存中…"); allowed again with an empty note.
    virtual void SetStopAllowed(bool allowed, const QString& note) {
        (void)allowed;
        (void)note;
    }
};

// The view the engines and UpdateProgress use, replaced with
// common::ScopedOverride (the program's window, sheet::InstallGateWindows(),
// or a test's); by default a view that shows nothing and only lets events run.
common::Seam<ProgressView>& ProgressViewSeam();
// The view in place now.
ProgressView& ProgressWindow();

// The program's cancel flag: raised once the user confirmed a stop; the runs
// read it between steps and clear it as they start.
bool IsCancelRequested();
void RequestCancel();
void ClearCancelFlag();

// Counts calls; on every interval-th call (counted over the program's life)
// shows "current/total" in the Counter label, moves proBAR to current/total*100 when
// that ratio is at most 1, and lets pending events run.
void UpdateProgress(int current, int total, int interval);
// The counter is program-wide; tests reset it.
void ResetProgressCounter();

// The progress window as a run starts: shown, both counters empty, the first
// bar at 0 and out of sight, "準備中" over an empty second line; pending
// events run before and after. Callers set what their run shows otherwise
// (a hidden counter, the second bar) before calling it.
void ShowPreparing();

// The start of every office run: the progress window as ShowPreparing leaves
// it, both bars out of sight (a run shows what it uses), the cancel flag
// cleared; then the gate, which starts the office and may take seconds, so
// the user sees at once that the run has begun. When the gate answers that
// the run cannot go on (stopped or unavailable) the window is unloaded again. Answers the
// gate's result.
GateResult ShowPreparingAndRunGate();

// What the window says while the result is being saved.
inline const QString kSavingNote = QStringLiteral("保存中…");

// Before a step that cannot be stopped (saving the result): pending events
// run first, so that a stop pressed before the step is answered and in the
// cancel flag; then the stop button is disabled and `note` shown until
// LeaveUninterruptible(). Answers false when a stop has been confirmed.
bool EnterUninterruptible(const QString& note = kSavingNote);
// Clicks made on the disabled button meanwhile are let run (and dropped)
// before the button is enabled again.
void LeaveUninterruptible();

// The pattern "##,###": grouped digits, 0 as an empty text.
QString FormatCount(int value);

// The stop button of ProgressScreen: asks "処理を中断してもよろしいですか？"
// and on Yes sets the cancel flag. Answers whether it was set.
bool ConfirmStop();

// Centring of the gate's forms, in twips: centred on the screen, or on its
// left half when the screen is wider than 19200 twips (two monitors).
struct FormPosition {
    int left;
    int top;
};
FormPosition CenterForm(int screenWidth, int screenHeight, int formWidth, int formHeight);
inline constexpr int kTwipsPerPixel = 15;

} // namespace sheet
