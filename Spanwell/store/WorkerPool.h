#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <type_traits>

// The threads that run blocking work (credential reads, renewals, network calls, reading
// account files) off the interface thread. Sized so that no account ever waits for another.
namespace WorkerPool {

QThreadPool& instance();

// The one thread that writes the snapshot cache, so that writes land in the order they were
// asked for.
QThreadPool& cacheWriter();

// Threads for processor work in the background, such as reading large account files.
QThreadPool& readers();
// Gives the calling thread a lower priority than the interface thread's: several readers at
// once on a small machine then never keep the interface waiting for a processor, and still
// make progress on a machine busy with other work. Cheap after the first call on a thread.
void lowerThisThreadsPriority();

// Runs processor work on a reader thread of lower priority.
template <typename Work>
auto runInBackground(Work work) {
    return QtConcurrent::run(&readers(), [work = std::move(work)] {
        lowerThisThreadsPriority();
        return work();
    });
}

// Hands the result of work under way to `then` by a queued call on `receiver`'s thread, unless
// the receiver is gone by then.
template <typename Result, typename Then>
void whenDone(QObject* receiver, QFuture<Result> future, Then then) {
    auto* watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcher<Result>::finished, receiver,
                     [watcher, then = std::move(then)] {
                         watcher->deleteLater();
                         if constexpr (std::is_void_v<Result>)
                             then();
                         else
                             then(watcher->result());
                     });
    watcher->setFuture(std::move(future));
}

} // namespace WorkerPool
