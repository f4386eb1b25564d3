#pragma once

namespace shtlist {

// The program's start-up: data folder, the screen loaded from its settings
// and shown, then the event loop. Answers the process exit code.
int Main(int argc, char** argv);

} // namespace shtlist
