#include "commandline/FullProgram.h"

#include "commandline/FontConfigurationAhead.h"
#include "commandline/ProgramModule.h"

#include <cstdio>
#include <optional>

namespace {

// The module's one function, which runs a mode.
using ModuleEntry = int (*)(int* argc, char** argv, const Mode* mode);

// The pictures and the tray program, which measure and draw text as soon as they start.
bool drawsText(const Mode& mode) {
    return mode.kind == Mode::Kind::panelPicture || mode.kind == Mode::Kind::signInPicture ||
           mode.kind == Mode::Kind::normalStart || mode.kind == Mode::Kind::addAccount;
}

} // namespace

namespace FullProgram {

int run(int& argc, char** argv, const Mode& mode) {
    std::optional<FontConfigurationAhead> fonts;
    if (drawsText(mode))
        fonts.emplace();
    const ProgramModule::Loaded loaded =
        ProgramModule::load(SPANWELL_FULL_MODULE, "spanwellFullProgram");
    fonts.reset();
    if (!loaded.entry) {
        std::fputs(("spanwell: " + loaded.problem + '\n').toLocal8Bit().constData(), stderr);
        return 1;
    }
    return reinterpret_cast<ModuleEntry>(loaded.entry)(&argc, argv, &mode);
}

} // namespace FullProgram
