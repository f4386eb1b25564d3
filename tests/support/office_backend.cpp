// Linked into the tests that drive the real office: the LibreOffice backend
// is installed as the programs install it in main, before any test runs.

#include "spreadsheet/lo/install.h"

namespace {

const bool installed = (sheet::lo::InstallBackend(), true);

} // namespace
