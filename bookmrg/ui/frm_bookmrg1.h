#pragma once

// FRM_BOOKMRG1, the one main screen of the consolidation program: the book
// list, the output workbook, the sheets to leave out, and the run.

#include "bookmrg/run_params.h"
#include "common/paths.h"
#include "workbook_tools/ui/tool_screen.h"

#include <QPointer>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace bookmrg {

class ConsolidationHelpScreen;

class ConsolidationScreen : public tools::ToolScreen {
    Q_OBJECT
public:
    // The engine run started by F12; tests replace it.
    using Runner = std::function<tools::RunOutcome(const RunParams&)>;

    ConsolidationScreen();
    ~ConsolidationScreen() override;

    // Reads BOOKMRG.PRM into the screen and the remembered dialog folders. An
    // unreadable file leaves the screen as designed.
    void LoadSettings();
    // Writes the screen into BOOKMRG.PRM; a failure is reported.
    void SaveSettings() override;

    // The run parameters as the screen holds them, trimmed.
    RunParams RunParameters() const;
    QStringList BookLines() const;

    void SetRunner(Runner runner) { runner_ = std::move(runner); }
    // cmdF12 stays disabled until the screen has been loaded and shown.
    void SetRunEnabled(bool enabled);

    // The remembered folders of the two dialogs.
    QString AddFolder() const { return add_.folder; }
    QString OutputFolder() const { return output_.folder; }

    // Handlers, public so that the program's tests reach them directly.
    void AddBooks();        // F6
    void ChooseOutput();    // F9
    void RemoveSelected();  // 対象から外す
    void ClearBooks();      // 全クリア (books)
    void ClearExclusions(); // 全クリア (exclusions)
    void ShowHelp();        // 説明
    void Run();             // F12

protected:
    void CloseOwnWindows() override;

private:
    void BuildControls();
    void AddBookLine(const QString& path);
    void RemoveLine(QListWidgetItem* item);

    QLabel* Label6 = nullptr;
    QLineEdit* txtOtFname = nullptr;
    QPushButton* cmdF9 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* cmdF6 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QLineEdit* txtJgy_1 = nullptr;
    QLineEdit* txtJgy_2 = nullptr;
    QRadioButton* optStIti1 = nullptr;
    QRadioButton* optStIti2 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* cmdF12 = nullptr;
    QPushButton* cmdEsc = nullptr;
    QStatusBar* stb_Guaid = nullptr;

    common::PathParts output_; // the output dialog's folder and file
    common::PathParts add_;    // the book dialog's folder and file
    QPointer<ConsolidationHelpScreen> help_;
    Runner runner_;
};

// The message on leaving with more books listed than the settings file
// holds: which books are not kept.
QString UnsavedBooksMessage(const QStringList& unsaved);

} // namespace bookmrg
