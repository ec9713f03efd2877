#pragma once

#include "commandline/Dispatch.h"

// The executable reads files and prints; everything else the program does (its windows, the
// tray, the pictures, and every refresh over the network) lives in a module beside it, loaded
// only when a mode needs it. A status bar that asks every few seconds then meets fresh figures
// without loading Qt's interface and network libraries, which take most of a start's time.
namespace FullProgram {

// Loads the module and runs `mode` in it; its exit status, or 1 with a sentence on standard
// error when the module cannot be loaded.
int run(int& argc, char** argv, const Mode& mode);

} // namespace FullProgram
