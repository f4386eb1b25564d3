#include "common/ui/app_init.h"

#include "common/messages.h"
#include "common/ui/document_opener.h"
#include "common/ui/fonts.h"
#include "common/ui/message_box.h"

#include <QCoreApplication>

namespace ui {

void InitApplication(const QString& programId) {
    InstallFontSubstitutes();
    QCoreApplication::setApplicationName(programId);
    common::SetProgramId(programId);

    static MessageBoxSink messageBoxes;
    common::SetMessageSink(&messageBoxes);
    static DesktopDocumentOpener opener;
    common::SetDocumentOpener(&opener);
}

} // namespace ui
