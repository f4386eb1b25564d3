#include "bookmrg/output_name.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"

#include <QDir>
#include <QStandardPaths>

namespace bookmrg {

namespace {

const QString kEmptyName = QStringLiteral("指定して下さい");
const QString kBadName = QStringLiteral("正しいファイル名ではありません");
const QString kNotXls = QStringLiteral("エクセルファイル(XLS)以外は扱えません。");
const QString kNoDocuments =
    QStringLiteral("マイドキュメントのフォルダがわかりません。フォルダを指定して下さい");

QString Refuse(const QString& message) {
    common::ShowMessage(message, common::MsgIcon::None, common::MsgButtons::Ok);
    return common::kNg;
}

} // namespace

QString TrimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString MyDocumentsFolder(int folderCode) {
    if (folderCode != kDocumentsFolderCode)
        return QString();
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QString();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString CheckOutputName(QString& text, const QStringList& extensions) {
    const QString name = TrimSpaces(text);
    if (name.isEmpty())
        return Refuse(kEmptyName);

    // A bare file name is written to the documents folder: the name is checked
    // there, where the workbook will be created, not in the current folder.
    const common::PathParts parts = common::SplitPath(name);
    QString full = name;
    if (parts.folder.isEmpty()) {
        const QString documents = MyDocumentsFolder(kDocumentsFolderCode);
        if (documents.isEmpty())
            return Refuse(kNoDocuments);
        full = documents + QLatin1Char('/') + parts.name;
    }
    if (!common::CheckFileName(full))
        return Refuse(kBadName);
    if (full != name)
        text = full;

    const QString extension = common::SplitExtension(full).extension;
    if (!extension.isEmpty() && !extensions.contains(extension, Qt::CaseInsensitive))
        return Refuse(kNotXls);
    return common::kOk;
}

} // namespace bookmrg
