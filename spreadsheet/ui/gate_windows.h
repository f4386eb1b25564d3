#pragma once

// The two windows of the spreadsheet gate: the dialog RunningOfficeScreen
// (object name Frm_excel2jyu) that asks what to do about an open instance,
// and the progress window ProgressScreen (object name Frm_excelRun).

#include "common/ui/screen_base.h"
#include "spreadsheet/gate.h"
#include "spreadsheet/progress.h"

#include <QLabel>
#include <QPointer>

class QProgressBar;
class QPushButton;
class QRadioButton;

namespace sheet {

// Places a form by the gate's centring rule on the screen it appears on.
void PlaceForm(QWidget* form);

class RunningOfficeScreen : public ui::Screen {
    Q_OBJECT
public:
    explicit RunningOfficeScreen(QWidget* parent = nullptr);
    GateChoice Choice() const;
    void SetChoice(GateChoice choice);

    QRadioButton* optTyudan;
    QRadioButton* optZokkou;
    QRadioButton* optAutoQuit;
    QPushButton* cmdF12;

    // What the frame's close button does: the dialog closes as if unloaded.
    bool FrameCloseRequested() override;

protected:
    void showEvent(QShowEvent* event) override;
};

// A one-line label that shortens its text in the middle where it does not
// fit (a long path keeps its beginning and its file name); the whole text is
// its tooltip and FullText().
class MiddleElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit MiddleElidedLabel(QWidget* parent = nullptr);
    void SetFullText(const QString& text);
    const QString& FullText() const { return fullText_; }
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();
    QString fullText_;
};

class ProgressScreen : public ui::Screen {
    Q_OBJECT
public:
    explicit ProgressScreen(QWidget* parent = nullptr);

    QLabel* Label(ProgressLabel label) const;
    QProgressBar* Bar(ProgressBar bar) const;

    QPushButton* Command1;
    QProgressBar* proBAR;
    QProgressBar* proBAR2;
    QLabel* lblKey1;
    QLabel* lblKey2;
    QLabel* lblKey3;
    QLabel* lblKen1;
    QLabel* lblKen2;
    QLabel* lblKen4;
    QLabel* lblD1;
    // What lblKen1 counts, and why the stop button is disabled.
    QLabel* lblKenCaption;
    QLabel* lblStopNote;

    // Texts as the engines set them. lblKey2 (the book and sheet) is
    // shortened in the middle; the labels no run needs (lblKey3, lblKen2,
    // lblKen4, lblD1) are out of sight while empty.
    void SetLabelText(ProgressLabel label, const QString& text);
    QString LabelText(ProgressLabel label) const;
    void SetLabelVisible(ProgressLabel label, bool visible);
    void SetCountCaption(const QString& caption);
    void SetStopAllowed(bool allowed, const QString& note);

    // The window is closed only by the program; the frame's close button
    // asks for a stop like the stop button and keeps the window.
    bool FrameCloseRequested() override;

protected:
    void showEvent(QShowEvent* event) override;
};

// The gate's dialog as the gate sees it: loaded at its first show, kept
// hidden between shows, forgotten on Unload or when closed by its frame.
class GateDialogWindow : public GateDialog {
public:
    GateChoice ShowModal() override;
    void Unload() override;
    RunningOfficeScreen* Form() const { return form_; }

private:
    QPointer<RunningOfficeScreen> form_;
};

// The progress window as the engines drive it: loaded on Show, destroyed on
// Unload.
class ProgressWindowView : public ProgressView {
public:
    ~ProgressWindowView() override;
    void Show() override;
    void Unload() override;
    void SetLabelText(ProgressLabel label, const QString& text) override;
    void SetLabelVisible(ProgressLabel label, bool visible) override;
    void SetBarValue(ProgressBar bar, int value) override;
    void SetBarVisible(ProgressBar bar, bool visible) override;
    void ProcessEvents() override;
    void SetCountCaption(const QString& caption) override;
    void SetStopAllowed(bool allowed, const QString& note) override;
    ProgressScreen* Form() const { return form_; }

private:
    ProgressScreen* Load();
    QPointer<ProgressScreen> form_;
};

// Installs both windows for RunExcelGate and the engines (once per program,
// after the QApplication exists).
void InstallGateWindows();

} // namespace sheet
