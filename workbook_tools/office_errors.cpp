#include "workbook_tools/office_errors.h"

namespace tools {

void RethrowIfOfficeLost(const sheet::SheetError& error) {
    if (sheet::IsOfficeLost(error))
        throw error;
}

} // namespace tools
