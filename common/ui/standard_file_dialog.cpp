#include "common/ui/standard_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ui {

namespace {

class SuiteFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        // A name typed into a folder that does not exist is refused here, as
        // the dialog refuses missing files when opening.
        const QStringList files = selectedFiles();
        if (fileMode() == QFileDialog::AnyFile && !files.isEmpty()) {
            const QFileInfo chosen(files.first());
            if (!chosen.isDir() && !chosen.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     chosen.absolutePath() +
                                         QStringLiteral("\nフォルダが見つかりません。"));
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

bool StandardFileDialog::Run(QWidget* owner, const FileDialogRequest& request, QString* answer) {
    SuiteFileDialog dialog(owner, request.title, request.initialFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilters(ToQtNameFilters(request.filter));
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    QString suffix = request.defaultExtension;
    while (suffix.startsWith(QChar(u'.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);

    switch (request.kind) {
    case FileDialogKind::OpenFile:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileDialogKind::OpenFiles:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileDialogKind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (!request.initialFileName.isEmpty())
        dialog.selectFile(request.initialFileName);

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    *answer = request.kind == FileDialogKind::OpenFiles ? MultiSelectAnswer(files) : files.first();
    return true;
}

} // namespace ui
