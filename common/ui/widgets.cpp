#include "common/ui/widgets.h"

#include "common/ui/fonts.h"
#include "common/ui/hard_copy_icon.h"
#include "common/ui/screen_base.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace ui {

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
    return Named(new QPushButton(caption, parent), name);
}

ToolFrame BuildToolFrame(QWidget* screen, const QString& title, const QMargins& bodyMargins,
                         int bodySpacing) {
    ToolFrame frame;
    auto* root = new QVBoxLayout(screen);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    auto* Picture4 = Named(new QWidget(screen), "Picture4");
    Picture4->setAutoFillBackground(true);
    QPalette band = Picture4->palette();
    band.setColor(QPalette::Window, QColor(0, 51, 128));
    band.setColor(QPalette::WindowText, Qt::white);
    Picture4->setPalette(band);
    auto* bandLayout = new QHBoxLayout(Picture4);
    bandLayout->setContentsMargins(12, 8, 12, 8);
    frame.title = Named(new QLabel(title, Picture4), "Label6");
    QFont titleFont(kPGothic, 14);
    titleFont.setBold(true);
    frame.title->setFont(titleFont);
    bandLayout->addWidget(frame.title);
    bandLayout->addStretch();
    root->addWidget(Picture4);

    frame.body = new QVBoxLayout;
    frame.body->setContentsMargins(bodyMargins);
    frame.body->setSpacing(bodySpacing);
    root->addLayout(frame.body, 1);

    frame.statusBar = Named(new QStatusBar(screen), "stb_Guaid");
    frame.statusBar->setSizeGripEnabled(false);
    root->addWidget(frame.statusBar);
    return frame;
}

RunExitRow BuildRunExitRow(QWidget* screen, const QString& runCaption, const QString& exitCaption) {
    RunExitRow row;
    row.layout = new QHBoxLayout;
    auto* imgHDCopy = CreateHardCopyIcon(screen);
    auto* picRUN = Named(new QWidget(screen), "picRUN");
    auto* runLayout = new QHBoxLayout(picRUN);
    runLayout->setContentsMargins(0, 0, 0, 0);
    row.run = Button(runCaption, "cmdF12", picRUN);
    runLayout->addWidget(row.run);
    auto* picExit = Named(new QWidget(screen), "picExit");
    auto* exitLayout = new QHBoxLayout(picExit);
    exitLayout->setContentsMargins(0, 0, 0, 0);
    row.exit = Button(exitCaption, "cmdEsc", picExit);
    exitLayout->addWidget(row.exit);
    for (QPushButton* b : {row.run, row.exit})
        b->setMinimumSize(Twips(1800), Twips(480));
    row.layout->addWidget(imgHDCopy);
    row.layout->addStretch();
    row.layout->addWidget(picRUN);
    row.layout->addWidget(picExit);
    return row;
}

} // namespace ui
