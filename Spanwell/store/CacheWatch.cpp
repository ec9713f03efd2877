#include "store/CacheWatch.h"

#include "LogCategories.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {

// Long enough for one writer's burst, short enough that figures arrive within a second.
constexpr int settleMilliseconds = 150;

} // namespace

CacheWatch::CacheWatch(QString cachePath, QObject* parent)
    : QObject(parent)
    , path(std::move(cachePath))
    , watcher(new QFileSystemWatcher(this))
    , settle(new QTimer(this)) {
    settle->setSingleShot(true);
    settle->setInterval(settleMilliseconds);
    connect(settle, &QTimer::timeout, this, &CacheWatch::changed);
    const auto noticed = [this] {
        watch();
        settle->start();
    };
    connect(watcher, &QFileSystemWatcher::fileChanged, this, noticed);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, noticed);
    const QString folder = QFileInfo(path).path();
    QDir().mkpath(folder);
    if (!watcher->addPath(folder))
        qCWarning(storeLog) << "The folder of the snapshot cache cannot be watched:" << folder;
    watch();
}

// The file is watched again each time it is replaced, and from when it first appears.
void CacheWatch::watch() {
    if (!watcher->files().contains(path) && QFileInfo::exists(path))
        watcher->addPath(path);
}
