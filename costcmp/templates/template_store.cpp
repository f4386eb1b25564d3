#include "costcmp/templates/template_store.h"

#include "common/numbers.h"
#include "common/sort.h"
#include "common/text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace costcmp {

bool ContainsWord(const QString& name, const QString& word) {
    if (name.isEmpty())
        return false;
    return name.contains(word, Qt::CaseSensitive);
}

bool MatchTemplateName(const QString& name, const QString& word1, const QString& word2,
                       SearchMode mode) {
    switch (mode) {
    case SearchMode::And:
        return ContainsWord(name, word1) && ContainsWord(name, word2);
    case SearchMode::Or:
        return ContainsWord(name, word1) || ContainsWord(name, word2);
    case SearchMode::No:
        break;
    }
    return ContainsWord(name, word1);
}

QString TemplateDateText(const QDateTime& time) {
    return time.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

QString FormatTemplateRow(int position, const TemplateEntry& entry) {
    return common::FormatRightAligned(double(position), QStringLiteral("0000")) +
           QStringLiteral(" | ") + entry.date + QStringLiteral(" |  ") + entry.name;
}

QString NameFromRow(const QString& row) {
    return row.mid(kRowNameStart);
}

QString TrimHalfWidthSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

bool TemplateStore::SetExtensionArgument(const QString& argument) {
    if (argument.startsWith(QLatin1Char('*'))) {
        extension_ = argument.mid(1, 3);
        return false;
    }
    extension_ = argument;
    return true;
}

QString TemplateStore::ScreenTitle() const {
    return QStringLiteral("テンプレート (使用フォルダ:") + folder_ + QStringLiteral(")   *.") +
           extension_;
}

void TemplateStore::ReadTemplateFolder() {
    listed_.clear();
    full_.clear();
    omitted_ = 0;
    QDir dir(folder_);
    if (folder_.isEmpty() || !dir.exists())
        return;
    dir.setNameFilters({QStringLiteral("*.") + extension_});
    // Without QDir::CaseSensitive the pattern ignores letter case.
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Unsorted);
    const QFileInfoList files = dir.entryInfoList();
    // Beyond 900 files the oldest are left out, by the date text the list
    // sorts on; the others keep the folder's order.
    QList<bool> keep(files.size(), true);
    if (files.size() > kMaxFiles) {
        QList<qsizetype> byDate(files.size());
        for (qsizetype i = 0; i < files.size(); ++i)
            byDate[i] = i;
        QStringList dates;
        for (const QFileInfo& file : files)
            dates.append(TemplateDateText(file.lastModified()));
        std::stable_sort(byDate.begin(), byDate.end(),
                         [&dates](qsizetype a, qsizetype b) { return dates[a] > dates[b]; });
        for (qsizetype i = kMaxFiles; i < byDate.size(); ++i)
            keep[byDate[i]] = false;
        omitted_ = int(files.size() - kMaxFiles);
    }
    for (qsizetype i = 0; i < files.size(); ++i)
        if (keep[i])
            AddTemplateEntry(files[i].fileName(), files[i].lastModified());
}

void TemplateStore::AddTemplateEntry(const QString& fileName, const QDateTime& modified) {
    if (listed_.size() >= kCapacity)
        return;
    const QString trimmed = common::TrimBlanks(fileName);
    // The name is the file name less the dot and the extension.
    const TemplateEntry entry{trimmed.left(qMax<qsizetype>(0, trimmed.size() - 4)),
                              TemplateDateText(modified), fileName};
    listed_.append(entry);
    // The full set takes the same position as the listed set.
    full_.resize(qMin(full_.size(), listed_.size() - 1));
    while (full_.size() < listed_.size() - 1)
        full_.append(listed_[full_.size()]);
    full_.append(entry);
}

void TemplateStore::SortListed(TemplateSortKey key) {
    const bool byName = key == TemplateSortKey::Name;
    QStringList keys;
    QStringList order;
    for (qsizetype i = 0; i < listed_.size(); ++i) {
        keys.append(byName ? listed_[i].name : listed_[i].date);
        order.append(QString::number(i));
    }
    common::SortPairsDescending(keys, order);
    QList<TemplateEntry> sorted;
    sorted.reserve(listed_.size());
    for (const QString& index : order)
        sorted.append(listed_[index.toInt()]);
    listed_ = sorted;
}

bool TemplateStore::FindListedTemplate(const QString& typed) const {
    const QString name = TrimHalfWidthSpaces(typed);
    for (const TemplateEntry& entry : listed_)
        if (entry.name == name)
            return true;
    return false;
}

bool TemplateStore::DeleteTemplate(const QString& typed, QString* failedPath) {
    const QString name = TrimHalfWidthSpaces(typed);
    for (const TemplateEntry& entry : listed_)
        if (entry.name == name)
            return DeleteTemplateFile(entry.fileName, failedPath);
    // Not listed: only the file of exactly that name.
    const QString path = folder_ + name + QLatin1Char('.') + extension_;
    QFile file(path);
    if (file.exists() && !file.remove()) {
        if (failedPath)
            *failedPath = path;
        return false;
    }
    return true;
}

bool TemplateStore::DeleteTemplateFile(const QString& fileName, QString* failedPath) {
    const QString path = folder_ + fileName;
    QFile file(path);
    if (file.exists() && !file.remove()) {
        if (failedPath)
            *failedPath = path;
        return false;
    }
    // A copy: `fileName` may be the name inside an entry about to be removed.
    const QString removed = fileName;
    const auto same = [&removed](const TemplateEntry& e) { return e.fileName == removed; };
    listed_.removeIf(same);
    full_.removeIf(same);
    return true;
}

bool TemplateStore::FilterTemplates(const QString& word1, const QString& word2, SearchMode mode) {
    const QString first = TrimHalfWidthSpaces(word1);
    const QString second = TrimHalfWidthSpaces(word2);
    if (mode != SearchMode::No && second.isEmpty())
        return false;
    listed_.clear();
    for (const TemplateEntry& entry : full_)
        if (MatchTemplateName(entry.name, first, second, mode))
            listed_.append(entry);
    SortListed(TemplateSortKey::Date);
    return true;
}

bool TemplateStore::ClearTemplateFilter() {
    if (full_.isEmpty())
        return false;
    listed_ = full_;
    SortListed(TemplateSortKey::Date);
    return true;
}

QString TemplateStore::TemplatePath(const QString& typed) const {
    const QString name = TrimHalfWidthSpaces(typed);
    for (const TemplateEntry& entry : full_)
        if (entry.name == name)
            return folder_ + entry.fileName;
    return folder_ + name + QLatin1Char('.') + extension_;
}

QStringList TemplateStore::ListRows() const {
    QStringList rows;
    for (qsizetype i = 0; i < listed_.size(); ++i)
        rows.append(FormatTemplateRow(int(i + 1), listed_[i]));
    return rows;
}

} // namespace costcmp
