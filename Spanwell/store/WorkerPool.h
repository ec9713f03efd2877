#pragma once

#include <QThreadPool>

// The threads that run blocking work (credential reads, renewals, network calls, reading
// account files) off the interface thread. Sized so that no account ever waits for another.
namespace WorkerPool {

QThreadPool& instance();

} // namespace WorkerPool
