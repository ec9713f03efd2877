#include "store/RuntimeFolder.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeFolder {

QString path() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivate(runtime))
        return runtime;
    const QString own = QDir::tempPath() + QStringLiteral("/spanwell-%1").arg(::getuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return own;
}

bool isPrivate(const QString& folder) {
    struct stat status {};
    return ::lstat(QFile::encodeName(folder).constData(), &status) == 0 &&
           S_ISDIR(status.st_mode) && status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
}

} // namespace RuntimeFolder
