#include "bookmrg/ui/bookmrg_main.h"

int main(int argc, char** argv) {
    return bookmrg::Main(argc, argv);
}
