#include "shtlist/ui/shtlist_main.h"

int main(int argc, char** argv) {
    return shtlist::Main(argc, argv);
}
