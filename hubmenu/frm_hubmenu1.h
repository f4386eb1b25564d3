#pragma once

#include "common/ui/screen_base.h"
#include "hubmenu/launcher_actions.h"

#include <QList>
#include <QPixmap>

class QFrame;
class QLabel;

namespace hubmenu {

class ClickLabel;
class LauncherLock;

// The launcher's window: the three tools, the read-me and the maker's pages,
// six background pictures to choose from, and the hard copy. Its buttons are
// labels that answer clicks and mouse-overs; the only key it handles is Esc.
class LauncherScreen : public ui::Screen {
    Q_OBJECT
public:
    // `programFolder` holds the pictures and pages shipped with the program.
    explicit LauncherScreen(const QString& programFolder, QWidget* parent = nullptr);

    // The lock given up when the launcher hands over or ends.
    void SetLock(LauncherLock* lock) { lock_ = lock; }

    // Shows the window with the stored background and marks the button of
    // the tool started last.
    void Open(int storedBackground, int lastToolTab);

    // Shows picture n (0 or a number outside 1-6 is taken as 3) and makes it
    // the current background.
    void SetBackground(int n);
    int Background() const { return background_; }

    // Among the controls, the first with this tab position whose name begins
    // with "cmd" gets a bold blue caption. Answers that control, or nullptr.
    QWidget* MarkLastTool(int tab);

    ClickLabel* Button(const QString& name) const;

    // Text colours the window uses.
    static QColor MarkColour() { return QColor(0, 0, 255); }
    static QColor ButtonBackColour() { return QColor(128, 255, 255); }

protected:
    bool PreviewKey(QKeyEvent* event) override;
    bool FrameCloseRequested() override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    ClickLabel* AddButton(const char* name, const QString& caption, QRect twipsRect, int tab);
    ClickLabel* AddLabel(const char* name, const QString& caption, QRect twipsRect, int tab);
    void BuildThumbnails();
    void BuildHardCopy();

    void HoverButton(ClickLabel* label);
    void StartToolOf(const ToolEntry& tool);
    void OpenPage(ClickLabel* label, Page page);
    void End();
    void HideAllWindows();

    QString programFolder_;
    LauncherLock* lock_ = nullptr;
    int background_ = 0;
    QPixmap picture_;
    QList<QWidget*> controls_; // in the order they were made
    QList<ClickLabel*> buttons_;
    ClickLabel* guide_ = nullptr;
    ClickLabel* company_ = nullptr;
    QFrame* strip_ = nullptr;
    bool leaving_ = false;
};

} // namespace hubmenu
