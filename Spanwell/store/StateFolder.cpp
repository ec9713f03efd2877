#include "store/StateFolder.h"

#include <QDir>

namespace StateFolder {

QString path() {
    // Only an absolute path counts, as for every XDG base folder; Qt 6.4 knows no state folder.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base =
        QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/Spanwell");
}

QString historyFile() {
    return path() + QStringLiteral("/history.sqlite");
}

} // namespace StateFolder
