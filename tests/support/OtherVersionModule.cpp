// A module of another version, put in place of the program's own: the executable must refuse
// it before calling its entry, which ends the process as a misread mode might.

#include <cstdlib>

extern "C" __attribute__((visibility("default"))) const char* const spanwellModuleVersion =
    "0.0 build 0";

extern "C" __attribute__((visibility("default"))) int spanwellFullProgram(int*, char**,
                                                                          const void*) {
    std::abort();
}
