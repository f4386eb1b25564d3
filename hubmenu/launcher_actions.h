#pragma once

#include <QColor>
#include <QRandomGenerator>
#include <QString>

#include <array>
#include <memory>

namespace hubmenu {

class LauncherLock;

// The program identifier of the launcher: the command a tool starts to come
// back to the menu.
inline const QString kLauncherId = QStringLiteral("HUBMENU");

// The three tools and the tab positions of their buttons. The tab position is
// what HUBMENU.PRM stores for the tool started last.
struct ToolEntry {
    const char* programId;
    const char* control;
    int tab;
};
inline constexpr std::array<ToolEntry, 3> kTools = {{
    {"COSTCMP", "cmdCOSTCMP", 2},
    {"BOOKMRG", "cmdBOOKMRG", 10},
    {"SHTLIST", "cmdSHTLIST", 14},
}};

// The documents the launcher opens, all shipped in the programs' folder.
enum class Page { ReadMe, Links, UpdateCheck, Inquiry, Home };

// The target handed to OpenDocument: the read-me as a plain path
// ("<folder>/HELP1.HTM"), the maker's pages as file: addresses.
QString PageTarget(Page page, const QString& programFolder);

// The caption a label shows while its page is being opened.
inline const QString kOpeningCaption = QStringLiteral("準備中");

inline const QString kAlreadyRunningMessage = QStringLiteral("システムは、すでに起動されています");

// The text colour of the company label after a mouse-over: each component the
// whole part of a random number in [0, 1) times 255, plus 50, at most 255.
QColor GuideColour(QRandomGenerator& random);

// The x position, in pixels inside the thumbnail strip, of thumbnail n (1-6).
inline int ThumbnailX(int n) {
    return 2 + (n - 1) * 30;
}

// Start-up before the window is shown: sets the data folder, creates it when
// missing, and takes the single-instance lock. Answers false, after showing
// the reason, when the launcher must end: another launcher is running, or the
// data folder cannot be made. Otherwise answers the lock to keep while the
// launcher runs.
std::unique_ptr<LauncherLock> PrepareLauncher();

// Starting a tool once the launcher's window is gone: stores the tool's tab
// position and the background in HUBMENU.PRM, registers the launcher as the
// tool's way back in the return table, gives up the single-instance lock (so
// that the tool may start the launcher again at once), starts the tool and
// ends the launcher. A settings or return-table failure is reported and the
// tool is started all the same.
void StartTool(const ToolEntry& tool, int background, LauncherLock* lock);

// Ending with Esc: stores the background digit (the tab position stays) and
// ends the launcher.
void EndLauncher(int background, LauncherLock* lock);

} // namespace hubmenu
