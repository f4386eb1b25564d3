#pragma once

#include "common/seam.h"

#include <QString>

namespace common {

// Every message box of the suite goes through this seam. The widget
// implementation lives in common/ui; tests install a double that records the
// texts and answers from a script. The box's title is the program identifier.
enum class MsgIcon { None, Information, Exclamation, Critical, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MsgAnswer Show(const QString& title, const QString& text, MsgIcon icon,
                           MsgButtons buttons) = 0;
};

// The sink ShowMessage goes through. Its default writes the message to
// stderr and answers the first button's positive answer (a program that has
// not put its message boxes in place); programs put the widget message boxes
// in at start-up, tests a double that records the texts.
Seam<MessageSink>& MessageSinkSeam();

// The identifier of the running program ("COSTCMP", ...), used as the title of
// its message boxes.
void SetProgramId(const QString& id);
QString ProgramId();

// Shows a message through the sink in place, titled with the program
// identifier.
MsgAnswer ShowMessage(const QString& text, MsgIcon icon = MsgIcon::None,
                      MsgButtons buttons = MsgButtons::Ok);

// Lines of a message are joined with a carriage return, as the texts are given.
QString JoinLines(std::initializer_list<QString> lines);

} // namespace common
