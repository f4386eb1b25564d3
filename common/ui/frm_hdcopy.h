#pragma once

#include "common/ui/screen_base.h"

#include <QImage>

class QFrame;
class QLabel;
class QListWidget;
class QPushButton;

namespace ui {

// The hard-copy preview: the picture to print, buttons to print it, cancel,
// print the clipboard's picture instead or choose the printer. The state word
// (hidden label lblState) tells the caller what was chosen once the modal
// show returns: "OK" print; "CAN" cancelled; "CANCEL" not printed otherwise.
class FrmHdCopy : public Screen {
    Q_OBJECT
public:
    explicit FrmHdCopy(QWidget* parent = nullptr);

    QString State() const;
    void SetState(const QString& state);
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
    QLabel* lblState_;
    QLabel* imgPRE_;
    QFrame* picPrnSel_;
    QLabel* lblPrnSel_;
    QListWidget* lstPrnSel_;
    QPushButton* command2_;
    QPushButton* command1_;
    QImage picture_;
};

} // namespace ui
