#pragma once

#include "common/ui/screen_base.h"

#include <QImage>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace ui {

// What the user chose in the hard-copy preview.
enum class HardCopyChoice {
    Print,      // cmdPrint
    Cancel,     // cmdExit (or Esc)
    NotPrinted, // the clipboard's picture was asked for, or the window closed
};

// The hard-copy preview: the picture to print, buttons to print it, cancel,
// print the clipboard's picture instead or choose the printer. Choice() tells
// the caller what was chosen once the modal show returns.
class HardCopyPreview : public Screen {
    Q_OBJECT
public:
    explicit HardCopyPreview(QWidget* parent = nullptr);

    HardCopyChoice Choice() const { return choice_; }
    // Starts an opening: nothing chosen yet.
    void ResetChoice() { choice_ = HardCopyChoice::NotPrinted; }
    void SetDateText(const QString& text);
    QString DateText() const;
    void SetPreview(const QImage& picture);
    // Makes the preview and the buttons cmdExit, cmdPrint, cmdCopy, cmdPrnSel
    // visible.
    void ShowPreviewAndButtons();
    // cmdCopy and Ctrl+C: the previewed picture goes to the clipboard, for
    // pasting into a mail or a document; the preview stays open and says so.
    void CopyPicture();

    // Fills the printer list with the system's printers and shows the choice.
    void ListPrinters();
    // Makes the printer selected in the list the program's printer and says
    // so; with no row selected nothing happens and the choice stays open.
    void ChoosePrinter();

signals:
    // cmdClip was pressed: the form is hidden, the clipboard's picture is wanted.
    void ClipboardRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool PreviewKey(QKeyEvent* event) override;

private:
    void UpdatePreview();

    QPushButton* cmdExit_;
    QPushButton* cmdPrint_;
    QPushButton* cmdCopy_;
    QLabel* lblCopied_;
    QPushButton* cmdClip_;
    QPushButton* cmdPrnSel_;
    QLabel* lblDate_;
    QLabel* imgPRE_;
    QFrame* picPrnSel_;
    QLabel* lblPrnSel_;
    QListWidget* lstPrnSel_;
    QPushButton* command2_;
    QPushButton* command1_;
    QImage picture_;
    HardCopyChoice choice_ = HardCopyChoice::NotPrinted;
};

} // namespace ui
