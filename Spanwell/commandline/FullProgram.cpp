#include "commandline/FullProgram.h"

#include "commandline/ProgramModule.h"

#include <cstdio>

namespace {

// The module's one function, which runs a mode.
using ModuleEntry = int (*)(int* argc, char** argv, const Mode* mode);

} // namespace

namespace FullProgram {

int run(int& argc, char** argv, const Mode& mode) {
    const ProgramModule::Loaded loaded =
        ProgramModule::load(SPANWELL_FULL_MODULE, "spanwellFullProgram");
    if (!loaded.entry) {
        std::fputs(("spanwell: " + loaded.problem + '\n').toLocal8Bit().constData(), stderr);
        return 1;
    }
    return reinterpret_cast<ModuleEntry>(loaded.entry)(&argc, argv, &mode);
}

} // namespace FullProgram
