#include "workbook_tools/office_errors.h"

namespace tools {

bool NeedsPassword(const sheet::SheetError& error) {
    return error.Description().contains(QStringLiteral("パスワード"));
}

bool IsOfficeLost(const sheet::SheetError& error) {
    return error.Number() == sheet::kErrServerGone;
}

void RethrowIfOfficeLost(const sheet::SheetError& error) {
    if (IsOfficeLost(error))
        throw error;
}

} // namespace tools
