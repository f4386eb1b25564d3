#include "shtlist/ui/shtlist_main.h"

#include "shtlist/ui/frm_shtlist1.h"
#include "workbook_tools/ui/workbook_tool_main.h"

namespace shtlist {

int Main(int argc, char** argv) {
    return tools::RunWorkbookTool<SheetListScreen>(argc, argv, QStringLiteral("SHTLIST"));
}

} // namespace shtlist
