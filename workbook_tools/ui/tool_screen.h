#pragma once

// The base of the main screens of the workbook tools (BOOKMRG, SHTLIST): how
// the program is left, by the user or after a run, and how a run takes over
// from the screen.

#include "common/ui/screen_base.h"
#include "workbook_tools/office_run.h"

#include <functional>

class QLineEdit;

namespace tools {

class ToolScreen : public ui::Screen {
    Q_OBJECT
public:
    // `tag` is the screen tag of the caption, `programId` the identifier under
    // which the return table names the caller.
    ToolScreen(const QString& tag, const QString& programId);

    // Writes the screen into the program's settings file; a failure is
    // reported.
    virtual void SaveSettings() = 0;

    // Leaving the program: settings saved, the caller started, the process
    // ended. ReturnToCaller does the same without ending the process. Either
    // leaves only once.
    void EndProgram();
    void ReturnToCaller();

protected:
    // Closes the windows the screen has opened besides itself; called when the
    // screen is left.
    virtual void CloseOwnWindows() {}
    // Tells the user that the settings file could not be written.
    static void ReportUnsavedSettings(const QString& error);
    // Answers true when the settings file can keep `path` unchanged in a
    // field of `maxBytes` bytes; otherwise shows the message that names the
    // problem (characters cp932 cannot hold, or the length) and answers false.
    static bool AcceptStoredPath(const QString& path, int maxBytes);
    // Guards a path box: a typed or pasted change that the settings file could
    // not keep is taken back at once, with that message, so the box only
    // holds paths that are saved as they stand.
    static void GuardStoredPath(QLineEdit* box, int maxBytes);
    // The same for any box: `problemOf` answers the message for a text that
    // cannot be kept, empty for one that can.
    static void GuardStoredText(QLineEdit* box,
                                const std::function<QString(const QString&)>& problemOf);
    // Lets the screen's last paint happen, runs `run`, does what its outcome
    // asks once the run is over (leaving, then opening the result) and ends
    // the process.
    void RunAndEnd(const std::function<RunOutcome()>& run);

private:
    // Saves the settings, closes the screen and looks up the command that
    // leads back.
    QString LeaveScreen();

    QString programId_;
    bool left_ = false;  // the screen has been left (settings saved)
    bool ended_ = false; // the process has been asked to end
};

} // namespace tools
