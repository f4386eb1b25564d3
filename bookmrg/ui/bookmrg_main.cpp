#include "bookmrg/ui/bookmrg_main.h"

#include "bookmrg/ui/frm_bookmrg1.h"
#include "bookmrg/ui/password_dialog.h"
#include "spreadsheet/ui/workbook_tool_main.h"

namespace bookmrg {

int Main(int argc, char** argv) {
    return sheet::RunWorkbookTool<FrmBookmrg1>(argc, argv, QStringLiteral("BOOKMRG"),
                                               &InstallPasswordDialog);
}

} // namespace bookmrg
