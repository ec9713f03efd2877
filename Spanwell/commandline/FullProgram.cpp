#include "commandline/FullProgram.h"

#include "BuildVersion.h"

#include <QByteArray>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace {

// The module's one function, which runs a mode.
using ModuleEntry = int (*)(int* argc, char** argv, const Mode* mode);

// The folder of the running executable itself, not of a link to it.
QByteArray executableFolder() {
    QByteArray path(4096, '\0');
#ifdef __APPLE__
    uint32_t size = uint32_t(path.size());
    if (_NSGetExecutablePath(path.data(), &size) != 0)
        return {};
    path.truncate(qsizetype(std::strlen(path.constData())));
    char resolved[PATH_MAX];
    if (!realpath(path.constData(), resolved))
        return {};
    path = resolved;
#else
    const ssize_t length = readlink("/proc/self/exe", path.data(), size_t(path.size()));
    if (length <= 0 || length >= path.size())
        return {};
    path.truncate(length);
#endif
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
