#pragma once

#include "common/messages.h"

#include <QString>

class QFontMetrics;
class QMessageBox;

namespace ui {

// The text of a message as a box shows it: the lines joined with carriage
// returns become separate lines; line breaks at the very end are dropped.
QString MessageDisplayText(const QString& text);

// The text with every line wider than `limit` pixels broken where a Japanese
// line may break (at a blank, after 、。）/ or before （), never inside a word
// when such a place exists in the second half of the line.
QString BreakLongLines(const QString& text, const QFontMetrics& metrics, int limit);

// Widens a message box to its longest line (within the screen), so that its
// lines are not broken inside a word.
void FitMessageLines(QMessageBox& box);

// Shows the suite's messages as modal message boxes owned by the active
// window: title = program identifier, the given icon and buttons.
class MessageBoxSink : public common::MessageSink {
public:
    common::MsgAnswer Show(const QString& title, const QString& text, common::MsgIcon icon,
                           common::MsgButtons buttons) override;
};

} // namespace ui
