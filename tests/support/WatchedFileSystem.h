#pragma once

#include "accounts/FileSystem.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>

// The machine's own file system, counting what is asked of it on the interface thread, where
// nothing is: a slow disk, a network home or a large account file would freeze the interface.
class WatchedFileSystem final : public FileSystem {
public:
    int callsOnInterfaceThread() const { return onInterfaceThread; }

    std::optional<QStringList> entryNames(const QString& folder) const override {
        return counted().entryNames(folder);
    }
    bool exists(const QString& path) const override { return counted().exists(path); }
    bool isFolder(const QString& path) const override { return counted().isFolder(path); }
    bool isExecutableFile(const QString& path) const override {
        return counted().isExecutableFile(path);
    }
    std::optional<QByteArray> contents(const QString& path) const override {
        return counted().contents(path);
    }

private:
    const FileSystem& counted() const {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ++onInterfaceThread;
        return local();
    }

    mutable std::atomic<int> onInterfaceThread = 0;
};
