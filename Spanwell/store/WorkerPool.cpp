#include "store/WorkerPool.h"

namespace {
// Far more than there are accounts: a refresh runs every account at the same time.
constexpr int mostWorkers = 256;
} // namespace

namespace WorkerPool {

QThreadPool& instance() {
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(mostWorkers);
        return created;
    }();
    return *pool;
}

QThreadPool& readers() {
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(mostWorkers);
        created->setThreadPriority(QThread::IdlePriority);
        return created;
    }();
    return *pool;
}

} // namespace WorkerPool
