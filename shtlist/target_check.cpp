#include "shtlist/target_check.h"

#include "common/messages.h"
#include "common/paths.h"
#include "common/result_words.h"
#include "workbook_tools/output_name.h"

namespace shtlist {

QString TargetPath(const QString& boxText) {
    return tools::TrimSpaces(boxText);
}

bool CheckTargetExists(const QString& boxText) {
    if (common::FileExists(TargetPath(boxText)) == common::kAri)
        return true;
    common::ShowMessage(kNoSuchFile, common::MsgIcon::None, common::MsgButtons::Ok);
    return false;
}

TargetCheck CheckTarget(const QString& boxText) {
    TargetCheck check{false, boxText};
    if (!CheckTargetExists(check.boxText))
        return check;
    // The workbook keeps its own format: any of today's workbook names.
    if (!tools::CheckOutputName(check.boxText, tools::kWorkbookExtensions))
        return check;
    // A bare name now points into the documents folder: the file that was
    // found relative to the current folder is not the one the run would
    // open, so the new path must exist as well.
    if (check.boxText != boxText && !CheckTargetExists(check.boxText))
        return check;
    check.ok = true;
    return check;
}

QString ChosenWorkbook(const QString& folder, const QString& fileName) {
    return tools::OutputFileChoice(folder, fileName);
}

} // namespace shtlist
