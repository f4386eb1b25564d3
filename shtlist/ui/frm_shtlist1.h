#pragma once

// FRM_SHTLIST1, the one screen of the sheet list program: the workbook that
// gets a sheet list, and the run.

#include "common/paths.h"
#include "workbook_tools/ui/tool_screen.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace shtlist {

class SheetListScreen : public tools::ToolScreen {
    Q_OBJECT
public:
    // The engine run started by F12 with the target path; tests replace it.
    using Runner = std::function<tools::RunOutcome(const QString&)>;

    SheetListScreen();

    // Reads SHTLIST.PRM into the box and the remembered dialog folder. An
    // unreadable file leaves the box empty.
    void LoadSettings();
    // Writes the box text, as typed, into SHTLIST.PRM; a failure is reported.
    void SaveSettings() override;

    void SetRunner(Runner runner) { runner_ = std::move(runner); }
    // cmdF12 stays disabled until the screen has been loaded and shown.
    void SetRunEnabled(bool enabled);

    // The remembered folder and file name of the dialog.
    QString DialogFolder() const { return dialog_.folder; }
    QString DialogFile() const { return dialog_.name; }

    // Handlers, public so that the program's tests reach them directly.
    void ChooseWorkbook(); // F9
    void Run();            // F12

private:
    void BuildControls();

    QLabel* Label6 = nullptr;
    QLineEdit* txtOtFname = nullptr;
    QPushButton* cmdF9 = nullptr;
    QPushButton* cmdF12 = nullptr;
    QPushButton* cmdEsc = nullptr;
    QStatusBar* stb_Guaid = nullptr;

    common::PathParts dialog_;
    Runner runner_;
};

} // namespace shtlist
