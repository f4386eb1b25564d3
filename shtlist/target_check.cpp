#include "shtlist/target_check.h"

#include "bookmrg/book_list.h"
#include "bookmrg/output_name.h"
#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"

namespace shtlist {

QString TargetPath(const QString& boxText) {
    return bookmrg::TrimSpaces(boxText);
}

QString CheckTargetExists(const QString& boxText) {
    if (common::FileExists(TargetPath(boxText)))
        return common::kOk;
    common::ShowMessage(kNoSuchFile, common::MsgIcon::None, common::MsgButtons::Ok);
    return common::kNg;
}

TargetCheck CheckTarget(const QString& boxText) {
    TargetCheck check{common::kNg, boxText};
    if (CheckTargetExists(check.boxText) != common::kOk)
        return check;
    // The workbook keeps its own format: any of today's workbook names.
    if (bookmrg::CheckOutputName(check.boxText, bookmrg::kWorkbookExtensions) != common::kOk)
        return check;
    // A bare name now points into the documents folder: the file that was
    // found relative to the current folder is not the one the run would
    // open, so the new path must exist as well.
    if (check.boxText != boxText && CheckTargetExists(check.boxText) != common::kOk)
        return check;
    check.result = common::kOk;
    return check;
}

QString ChosenWorkbook(const QString& folder, const QString& fileName) {
    return bookmrg::OutputFileChoice(folder, fileName);
}

} // namespace shtlist
