#include "workbook_tools/output_name.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"

#include <QDir>
#include <QStandardPaths>

namespace tools {

namespace {

const QString kEmptyName = QStringLiteral("指定して下さい");
const QString kBadName = QStringLiteral("正しいファイル名ではありません");
const QString kNotXls = QStringLiteral("エクセルファイル(XLS)以外は扱えません。");
const QString kNoDocuments =
    QStringLiteral("マイドキュメントのフォルダがわかりません。フォルダを指定して下さい");

bool Refuse(const QString& message) {
    common::ShowMessage(message, common::MsgIcon::None, common::MsgButtons::Ok);
    return false;
}

bool EndsWithOpenXml(const QString& name) {
    return name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ||
           name.endsWith(QStringLiteral(".xlsm"), Qt::CaseInsensitive);
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

bool CheckOutputName(QString& text, const QStringList& extensions) {
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
    if (common::CheckFileName(full) != common::kOk)
        return Refuse(kBadName);
    if (full != name)
        text = full;

    const QString extension = common::SplitExtension(full).extension;
    if (!extension.isEmpty() && !extensions.contains(extension, Qt::CaseInsensitive))
        return Refuse(kNotXls);
    return true;
}

QString OutputFileChoice(const QString& folder, const QString& fileName) {
    QString name = fileName;
    if ((name.size() < 4 || name.at(name.size() - 4) != QLatin1Char('.')) && !EndsWithOpenXml(name))
        name += QStringLiteral(".XLS");
    return folder + name;
}

QString WorkbookOpenFilter(const QString& classicPattern) {
    const QString all = QStringLiteral("*.xls;*.xlsx;*.xlsm;*.ods");
    return QLatin1Char('(') + classicPattern + QStringLiteral(")|") + classicPattern +
           QStringLiteral("|(") + all + QStringLiteral(")|") + all;
}

QString WorkbookSaveFilter(const QString& classicPattern) {
    return QLatin1Char('(') + classicPattern + QStringLiteral(")|") + classicPattern +
           QStringLiteral("|(*.xlsx)|*.xlsx");
}

} // namespace tools
