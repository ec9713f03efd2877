#include "commandline/FullProgram.h"

#include "BuildVersion.h"
#include "commandline/ExecutablePath.h"

#include <QByteArray>

#include <cstdio>
#include <cstring>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The module's one function, which runs a mode.
using ModuleEntry = int (*)(int* argc, char** argv, const Mode* mode);

// Loading runs the module's code as the user: only a regular file (dlopen waits on a named pipe)
// that nobody but root or the user could have put there. A missing one is for dlopen to report.
bool isUntrusted(const QByteArray& path) {
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 &&
           (!S_ISREG(status.st_mode) || (status.st_uid != 0 && status.st_uid != ::getuid()));
}

} // namespace

namespace FullProgram {

int run(int& argc, char** argv, const Mode& mode) {
    // Where the build puts it and the installation keeps it, seen from the executable's folder.
    const QByteArray executable = ExecutablePath::get();
    const QByteArray path = executable.left(executable.lastIndexOf('/')) + "/" SPANWELL_FULL_MODULE;
    if (isUntrusted(path)) {
        std::fprintf(stderr,
                     "spanwell: A part of Spanwell, %s, is not a regular file of root's or this "
                     "user's own.\n",
                     path.constData());
        return 1;
    }
    // Functions are bound when first called: binding all of them in the module and in Qt's
    // interface libraries up front cost a picture run about 3 ms of its 35. A module that does
    // not match the executable is told by its version below.
    void* module = dlopen(path.constData(), RTLD_LAZY | RTLD_LOCAL);
    const auto entry =
        module ? reinterpret_cast<ModuleEntry>(dlsym(module, "spanwellFullProgram")) : nullptr;
    if (!entry) {
        const char* why = dlerror();
        std::fprintf(stderr, "spanwell: A part of Spanwell is missing: %s\n",
                     why ? why : path.constData());
        return 1;
    }
    // A module of another version reads the mode it is handed differently, if it has the same
    // entry at all; it is never called. One from before the version was exported has none.
    const auto* version = static_cast<const char* const*>(dlsym(module, "spanwellModuleVersion"));
    if (!version || std::strcmp(*version, BuildVersion::identity) != 0) {
        std::fprintf(stderr,
                     "spanwell: A part of Spanwell, %s, is of version %s, not %s as this program "
                     "is; install Spanwell again.\n",
                     path.constData(), version ? *version : "unknown", BuildVersion::identity);
        return 1;
    }
    return entry(&argc, argv, &mode);
}

} // namespace FullProgram
