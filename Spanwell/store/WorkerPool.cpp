#include "store/WorkerPool.h"

#include <QThread>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
// Far more than there are accounts: a refresh runs every account at the same time.
constexpr int mostWorkers = 256;

QThreadPool* makePool() {
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(mostWorkers);
    return pool;
}
} // namespace

namespace WorkerPool {

QThreadPool& instance() {
    static QThreadPool* pool = makePool();
    return *pool;
}

QThreadPool& cacheWriter() {
    static QThreadPool* pool = [] {
        auto* single = new QThreadPool;
        single->setMaxThreadCount(1);
        return single;
    }();
    return *pool;
}

QThreadPool& readers() {
    static QThreadPool* pool = makePool();
    return *pool;
}

void lowerThisThreadsPriority() {
    thread_local const bool lowered = [] {
#ifdef Q_OS_LINUX
        // Linux gives each thread its own nice value; Qt's thread priorities change nothing
        // for ordinary threads there. Ten steps leave the interface the processor first, while
        // the thread keeps a share when other programs keep the machine busy.
        constexpr int niceSteps = 10;
        return setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), niceSteps) == 0;
#else
        QThread::currentThread()->setPriority(QThread::LowPriority);
        return true;
#endif
    }();
    Q_UNUSED(lowered);
}

} // namespace WorkerPool
