#include "shtlist/ui/shtlist_main.h"

#include "bookmrg/ui/password_dialog.h"
#include "shtlist/ui/frm_shtlist1.h"
#include "spreadsheet/ui/workbook_tool_main.h"

namespace shtlist {

int Main(int argc, char** argv) {
    return sheet::RunWorkbookTool<FrmShtlist1>(argc, argv, QStringLiteral("SHTLIST"),
                                               &bookmrg::InstallPasswordDialog);
}

} // namespace shtlist
