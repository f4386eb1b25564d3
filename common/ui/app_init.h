#pragma once

#include "common/messages.h"
#include "common/program_start.h"
#include "common/ui/document_opener.h"
#include "common/ui/message_box.h"

#include <QString>

namespace ui {

// The program's own message boxes and desktop document opener, in place for
// as long as this object lives (the whole run: it is kept in main).
class ProgramServices {
public:
    ProgramServices() = default;
    ProgramServices(const ProgramServices&) = delete;
    ProgramServices& operator=(const ProgramServices&) = delete;

private:
    MessageBoxSink messageBoxes_;
    DesktopDocumentOpener opener_;
    common::ScopedOverride<common::MessageSink> messages_{common::MessageSinkSeam(),
                                                          &messageBoxes_};
    common::ScopedOverride<common::DocumentOpener> documents_{common::DocumentOpenerSeam(),
                                                              &opener_};
};

// First call of every program, right after the QApplication is created:
// installs the Japanese font substitutes and Qt's Japanese texts for the
// standard dialogs, sets the program identifier (the title of its message
// boxes) and answers the message boxes and the document opener, in place
// while the answer is kept.
[[nodiscard]] ProgramServices InitApplication(const QString& programId);

} // namespace ui
