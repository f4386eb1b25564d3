#include "bookmrg/ui/bookmrg_main.h"
#include "spreadsheet/lo/install.h"

int main(int argc, char** argv) {
    sheet::lo::InstallBackend();
    return bookmrg::Main(argc, argv);
}
