#include "bookmrg/ui/bookmrg_main.h"

#include "bookmrg/ui/frm_bookmrg1.h"
#include "workbook_tools/ui/workbook_tool_main.h"

namespace bookmrg {

int Main(int argc, char** argv) {
    return tools::RunWorkbookTool<ConsolidationScreen>(argc, argv, QStringLiteral("BOOKMRG"));
}

} // namespace bookmrg
