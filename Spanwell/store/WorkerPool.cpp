#include "store/WorkerPool.h"

#include <QThread>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {
// Far more than there are accounts: a refresh runs every account at the same time.
constexpr int mostWorkers = 256;
// Work comes in bursts minutes apart: an idle thread ends, and its stack goes back to the
// system, once it has waited longer than a refresh's pauses between its steps and between a
// refresh and one asked for right after it. Threads started during a refresh kept the
// interface thread from its events about twice as long (bench-refresh).
constexpr int idleMilliseconds = 10 * 1000;

QThreadPool* makePool(int threads) {
    auto* pool = new QThreadPool;
    pool->setMaxThreadCount(threads);
    pool->setExpiryTimeout(idleMilliseconds);
    return pool;
}
} // namespace

namespace WorkerPool {

QThreadPool& instance() {
    static QThreadPool* pool = makePool(mostWorkers);
    return *pool;
}

QThreadPool& cacheWriter() {
    static QThreadPool* pool = makePool(1);
    return *pool;
}

QThreadPool& readers() {
    static QThreadPool* pool = makePool(mostWorkers);
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
