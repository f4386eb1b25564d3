#pragma once

#include "common/program_start.h"

#include <QUrl>

namespace ui {

// Opens files and web addresses with the desktop's associated program.
// A relative path is taken relative to the working folder; the parameters
// cannot be passed to the associated program and are left out. A local HTML
// page that nothing on the system opens is shown in the suite's own viewer.
class DesktopDocumentOpener : public common::DocumentOpener {
public:
    bool Open(const QString& target, const QString& parameters,
              const QString& workingFolder) override;
};

// The URL opened for a target: an address with a scheme as it is, anything
// else as a local file (relative to the working folder when one is given).
QUrl DocumentUrl(const QString& target, const QString& workingFolder);

// True for an HTML file that exists on this machine.
bool IsLocalPage(const QUrl& url);

} // namespace ui
