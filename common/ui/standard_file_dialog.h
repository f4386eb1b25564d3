#pragma once

#include "common/ui/file_dialogs.h"

class QFileDialog;

namespace ui {

// Sizes Qt's file dialog so that its columns read in full.
void SizeFileDialog(QFileDialog& dialog);

// The file dialogs as Qt's own file dialog: modal, titled as asked, the given
// filters (matched without regard to letter case), default extension, initial
// folder and name. Open dialogs take existing files only; the save dialog asks
// before an existing file is taken and refuses a folder that does not exist.
// The process's current folder is never changed.
class StandardFileDialog : public FileDialogService {
public:
    bool Run(QWidget* owner, const FileDialogRequest& request, QString* answer) override;
};

} // namespace ui
