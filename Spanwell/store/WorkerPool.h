#pragma once

#include <QThreadPool>

// The threads that run blocking work (credential reads, renewals, network calls, reading
// account files) off the interface thread. Sized so that no account ever waits for another.
namespace WorkerPool {

QThreadPool& instance();

// Threads for processor work in the background, such as reading large files: they run only when
// a processor would otherwise be idle, so that several at once never keep the interface thread
// waiting for one.
QThreadPool& readers();

} // namespace WorkerPool
