// Starts a private office, prints its process id and waits to be killed.

#include "office_inspect.h"
#include "spreadsheet/spreadsheet.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto office = sheet::CreateApplication();
    std::printf("%d\n", int(sheet::lo::OfficePid(*office)));
    std::fflush(stdout);
    QThread::sleep(120);
    return 0;
}
