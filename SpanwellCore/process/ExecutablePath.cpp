#include "process/ExecutablePath.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include <unistd.h>
#ifdef __APPLE__
#include <mach-o/dyld.h>
#endif

namespace ExecutablePath {

QByteArray get() {
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
    return path;
}

} // namespace ExecutablePath
