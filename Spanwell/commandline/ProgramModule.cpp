#include "commandline/ProgramModule.h"

#include "BuildVersion.h"
#include "process/ExecutablePath.h"

#include <QFile>

#include <cstring>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Loading runs the module's code as the user: only a regular file (dlopen waits on a named pipe)
// that nobody but root or the user could have put there. A missing one is for dlopen to report.
bool isUntrusted(const QByteArray& path) {
    struct stat status {};
    return ::stat(path.constData(), &status) == 0 &&
           (!S_ISREG(status.st_mode) || (status.st_uid != 0 && status.st_uid != ::getuid()));
}

} // namespace

namespace ProgramModule {

Loaded load(const char* relativePath, const char* entryName) {
    const QByteArray executable = ExecutablePath::get();
    const QByteArray path = executable.left(executable.lastIndexOf('/')) + '/' + relativePath;
    const QString shown = QFile::decodeName(path);
    if (isUntrusted(path))
        return {nullptr,
                QStringLiteral("A part of Spanwell, %1, is not a regular file of root's or this "
                               "user's own.")
                    .arg(shown)};
    // Functions are bound when first called: binding all of them in the module and in Qt's
    // interface libraries up front cost a picture run about 3 ms of its 35. A module that does
    // not match the executable is told by its version below.
    void* module = dlopen(path.constData(), RTLD_LAZY | RTLD_LOCAL);
    void* entry = module ? dlsym(module, entryName) : nullptr;
    if (!entry) {
        const char* why = dlerror();
        return {nullptr, QStringLiteral("A part of Spanwell is missing: %1")
                             .arg(why ? QString::fromLocal8Bit(why) : shown)};
    }
    // A module of another version reads what it is handed differently, if it has the same
    // entry at all; it is never called. One from before the version was exported has none.
    const auto* version = static_cast<const char* const*>(dlsym(module, "spanwellModuleVersion"));
    if (!version || std::strcmp(*version, BuildVersion::identity) != 0)
        return {nullptr, QStringLiteral("A part of Spanwell, %1, is of version %2, not %3 as this "
                                        "program is; install Spanwell again.")
                             .arg(shown, QString::fromUtf8(version ? *version : "unknown"),
                                  QString::fromUtf8(BuildVersion::identity))};
    return {entry, {}};
}

} // namespace ProgramModule
