#include "commandline/FontConfigurationAhead.h"

#include <exception>

#include <dlfcn.h>

namespace {

using Initialise = int (*)();

} // namespace

FontConfigurationAhead::FontConfigurationAhead() {
    // Loaded now, on this thread, as Qt's libraries would load it a moment later: loading takes
    // the dynamic loader's lock, which the module's loading would otherwise wait for. Qt's
    // libraries then find it loaded. Where there is no fontconfig, Qt does without it too.
    void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return;
    const auto initialise = reinterpret_cast<Initialise>(dlsym(library, "FcInit"));
    if (!initialise)
        return;
    try {
        reader = std::thread(initialise);
    } catch (const std::exception&) {
        // Qt reads it when it first needs it.
    }
}

FontConfigurationAhead::~FontConfigurationAhead() {
    if (reader.joinable())
        reader.join();
}
