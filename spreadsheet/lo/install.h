#pragma once

// The LibreOffice backend of the spreadsheet interface.

namespace sheet::lo {

// Makes sheet::CreateApplication start a private LibreOffice instance and
// the gate look for the user's own instances. Each program that drives the
// office calls it once in main.
void InstallBackend();

} // namespace sheet::lo
