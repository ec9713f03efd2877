#include "commandline/FullProgram.h"

#include "commandline/ProgramPath.h"

#include <QByteArray>

#include <cstdio>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Entry = int (*)(int* argc, char** argv, const Mode* mode);

// The folder of the running executable itself, not of a link to it.
QByteArray executableFolder() {
    const QByteArray path = ProgramPath::executable();
    return path.left(path.lastIndexOf('/'));
}

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
    const QByteArray path = executableFolder() + "/" SPANWELL_FULL_MODULE;
    if (isUntrusted(path)) {
        std::fprintf(stderr,
                     "spanwell: A part of Spanwell, %s, is not a regular file of root's or this "
                     "user's own.\n",
                     path.constData());
        return 1;
    }
    void* module = dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    const auto entry =
        module ? reinterpret_cast<Entry>(dlsym(module, "spanwellFullProgram")) : nullptr;
    if (!entry) {
        const char* why = dlerror();
        std::fprintf(stderr, "spanwell: A part of Spanwell is missing: %s\n",
                     why ? why : path.constData());
        return 1;
    }
    return entry(&argc, argv, &mode);
}

} // namespace FullProgram
