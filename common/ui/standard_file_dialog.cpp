#include "common/ui/standard_file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QMessageBox>
#include <QSplitter>
#include <QTreeView>

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

// The file list's dates as a Japanese user reads them (2026/12/08 14:26),
// whatever the desktop's locale: Qt writes them in the system's format.
class JapaneseDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole && index.column() == kDateColumn) {
            if (auto* files = qobject_cast<QFileSystemModel*>(sourceModel()))
                return files->lastModified(mapToSource(index))
                    .toString(QStringLiteral("yyyy/MM/dd HH:mm"));
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    static constexpr int kDateColumn = 3; // name, size, type, date
};

} // namespace

void SizeFileDialog(QFileDialog& dialog) {
    // Wide enough that the name, size, type and date columns read in full;
    // the name takes what the others leave.
    const QFontMetrics metrics(dialog.font());
    dialog.resize(qMax(860, metrics.averageCharWidth() * 110), qMax(520, metrics.height() * 28));
    if (auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    // The places on the left keep their names readable.
    if (auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter")))
        splitter->setSizes({metrics.averageCharWidth() * 22, dialog.width()});
}

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
    dialog.setProxyModel(new JapaneseDates(&dialog));
    SizeFileDialog(dialog);

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    *answer = request.kind == FileDialogKind::OpenFiles ? MultiSelectAnswer(files) : files.first();
    return true;
}

} // namespace ui
