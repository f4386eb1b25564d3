#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QDateTime;

namespace costcmp {

// One template as listed: its name (the file name less the dot and the
// three-character extension), the file's last-modified time as
// "YYYY/MM/DD HH:MM:SS" (local time), and the file name itself, so that the
// file is found again whatever the letter case of its extension.
struct TemplateEntry {
    QString name;
    QString date;
    QString fileName;

    friend bool operator==(const TemplateEntry&, const TemplateEntry&) = default;
};

// The search modes of the template screen: "なし", "かつ", "または".
enum class SearchMode { No, And, Or };

// Whether `word` occurs in `name` as a run of characters, compared code unit
// by code unit (letter case and character width count). An empty word is
// contained in every name that is not itself empty.
bool ContainsWord(const QString& name, const QString& word);
// "No": the first word; "And": both words; "Or": either word.
bool MatchTemplateName(const QString& name, const QString& word1, const QString& word2,
                       SearchMode mode);

// "YYYY/MM/DD HH:MM:SS" of a time, as its local time.
QString TemplateDateText(const QDateTime& time);

// A list row: the position as four digits, " | ", the date text, " |  " and
// the name, which therefore starts at the 31st character.
QString FormatTemplateRow(int position, const TemplateEntry& entry);
inline constexpr int kRowNameStart = 30; // zero-based
// The row's text from the 31st character on.
QString NameFromRow(const QString& row);
// A typed name as the screen reads it: half-width spaces trimmed from both ends.
QString TrimHalfWidthSpaces(const QString& text);

// What the template screen ended with.
enum class TemplateResult {
    None, // closed without saving or loading
    Save, // a confirmed save to the chosen name
    Load, // a confirmed load of the chosen name
};

// The orders of the template list, both descending.
enum class TemplateSortKey { Name, Date };

// The calculator's template extension.
inline const QString kTemplateExtension = QStringLiteral("SA1");

// The templates in the data folder: the full set as read from the folder and
// the listed set the screen shows, with the search and sort on them. No
// widgets; the template screen redraws itself from Listed().
class TemplateStore {
public:
    static constexpr int kMaxFiles = 900;  // files read from the folder
    static constexpr int kCapacity = 1000; // entries each set can hold

    // The folder the templates lie in, ending with the separator. The
    // program sets the data folder.
    void SetFolder(const QString& folder) { folder_ = folder; }
    const QString& Folder() const { return folder_; }

    // Takes the argument of the screen's opening: the extension, or "*" and
    // the extension for a list in which nothing may be saved or deleted.
    // Answers whether saving and deleting are allowed.
    bool SetExtensionArgument(const QString& argument);
    const QString& Extension() const { return extension_; }

    // "テンプレート (使用フォルダ:" + folder + ")   *." + extension
    QString ScreenTitle() const;

    // Reads both sets from the folder: the files matching "*.<extension>"
    // (letter case not significant), in the order the file system gives
    // them. All are read; when there are more than 900, only the 900 newest
    // are kept (in that same order) and Omitted() tells how many were left
    // out, so that a template just saved is always listed. A missing folder
    // gives empty sets.
    void ReadTemplateFolder();
    // Templates of the folder that the last reading left out.
    int Omitted() const { return omitted_; }
    // Appends one file to both sets (its name trimmed of blanks first).
    void AddTemplateEntry(const QString& fileName, const QDateTime& modified);

    // Sorts the listed set descending by name or by date text. Entries with
    // equal keys keep their relative order as the exchange sort leaves them.
    // The full set is not sorted.
    void SortListed(TemplateSortKey key);

    // True when a listed entry has the typed name (half-width spaces
    // trimmed), compared exactly.
    bool FindListedTemplate(const QString& typed) const;

    // Removes the template of the first listed entry with that name: its
    // file exactly (another file whose name differs only in letter case
    // stays) and that entry from both sets, keeping the order of the others.
    // A file that is already gone counts as removed. Answers false, with the
    // path in `failedPath`, when the file exists but cannot be removed; the
    // sets are then unchanged.
    bool DeleteTemplate(const QString& name, QString* failedPath = nullptr);
    // The same for the listed entry of that file name.
    bool DeleteTemplateFile(const QString& fileName, QString* failedPath = nullptr);

    // The search: the listed set becomes the entries of the full set (in its
    // order) that match, sorted by date. "And" and "Or" need a second word:
    // without one nothing changes and the answer is false.
    bool FilterTemplates(const QString& word1, const QString& word2, SearchMode mode);
    // Cancels a search: the listed set becomes the whole full set, sorted by
    // date. Answers false (nothing changes) when the full set is empty.
    bool ClearTemplateFilter();

    // The file of a template: the file of a known entry of that name, else
    // folder + name + "." + extension.
    QString TemplatePath(const QString& name) const;

    const QList<TemplateEntry>& Listed() const { return listed_; }
    const QList<TemplateEntry>& Full() const { return full_; }
    QStringList ListRows() const;

private:
    QString folder_;
    QString extension_ = kTemplateExtension;
    QList<TemplateEntry> full_;
    QList<TemplateEntry> listed_;
    int omitted_ = 0;
};

} // namespace costcmp
