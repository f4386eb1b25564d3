#include "shtlist/ui/shtlist_main.h"
#include "spreadsheet/lo/install.h"

int main(int argc, char** argv) {
    sheet::lo::InstallBackend();
    return shtlist::Main(argc, argv);
}
