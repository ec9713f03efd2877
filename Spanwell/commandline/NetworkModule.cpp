#include "commandline/NetworkModule.h"

#include "LogCategories.h"
#include "commandline/ProgramModule.h"

namespace NetworkModule {

int serve(int& argc, char** argv) {
    const ProgramModule::Loaded loaded =
        ProgramModule::load(SPANWELL_NETWORK_MODULE, "spanwellServeNetwork");
    if (!loaded.entry) {
        qCWarning(serviceLog).noquote() << "No network call can be made:" << loaded.problem;
        return 1;
    }
    return reinterpret_cast<int (*)(int*, char**)>(loaded.entry)(&argc, argv);
}

} // namespace NetworkModule
