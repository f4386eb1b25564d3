#include "bookmrg/run_check.h"

#include "bookmrg/book_list.h"
#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"
#include "workbook_tools/output_name.h"

#include <QFileInfo>

namespace bookmrg {

namespace {

using BeforeMessage = std::function<void(const RunCheck&)>;

RunCheck Refuse(const BeforeMessage& before, const QString& message, int selectLine = -1,
                bool focusOutput = false) {
    const RunCheck check{false, selectLine, focusOutput};
    if (before)
        before(check);
    common::ShowMessage(message, common::MsgIcon::None, common::MsgButtons::Ok);
    return check;
}

// The same file under another spelling ("./a.xls", a symbolic link).
bool SameFile(const QString& a, const QString& b) {
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.absoluteFilePath() == second.absoluteFilePath())
        return true;
    const QString canonicalA = first.canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == second.canonicalFilePath();
}

} // namespace

QString SameNameMessage() {
    return QStringLiteral("出力するブック名と同じものがあります。"
                          "対象から外すか、出力するブック名を変更してください");
}

int FindOutputAmongBooks(const QStringList& books, const QString& outputText) {
    const QString compared = OutputFileName(outputText);
    for (int i = 0; i < books.size(); ++i) {
        const QString& line = books.at(i);
        if (line.compare(compared, Qt::CaseInsensitive) == 0)
            return i;
        // A bare name is compared only by its text: it says nothing about a
        // folder yet.
        if (!common::SplitPath(compared).folder.isEmpty() && SameFile(line, compared))
            return i;
    }
    return -1;
}

RunCheck ValidateRun(const QStringList& books, const QString& outputText,
                     const BeforeMessage& before) {
    if (books.size() > kMaxBooks)
        return Refuse(before, QStringLiteral("６４ブックまでしか指定できません"));
    if (books.isEmpty())
        return Refuse(before, QStringLiteral("対象ブックが１つも指定されていません。"));
    for (int i = 0; i < books.size(); ++i) {
        if (common::FileExists(books.at(i)) != common::kAri)
            return Refuse(before,
                          QStringLiteral("そのファイルは存在しません。対象から外してください"), i);
    }
    if (tools::TrimSpaces(outputText).isEmpty())
        return Refuse(before, QStringLiteral("指定してください。"), -1, true);
    const int same = FindOutputAmongBooks(books, outputText);
    if (same >= 0)
        return Refuse(before, SameNameMessage(), same);
    return {true, -1, false};
}

} // namespace bookmrg
