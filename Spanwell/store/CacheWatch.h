#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

// Tells when the snapshot cache may have been written, by this process or another. The file and
// its folder are both watched, since a writer replaces the file whole, which ends a watch on
// the file itself. The burst of changes one write makes (its lock, a new file beside the old,
// the rename) is told once, a moment after it ends.
class CacheWatch : public QObject {
    Q_OBJECT

public:
    explicit CacheWatch(QString path, QObject* parent = nullptr);

signals:
    void changed();

private:
    void watch();

    QString path;
    QFileSystemWatcher* watcher;
    QTimer* settle;
};
