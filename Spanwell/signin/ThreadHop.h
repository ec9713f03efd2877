#pragma once

#include <QMetaObject>
#include <QObject>

#include <mutex>

// Carries work from background threads to the thread of one QObject for as long as that object
// lives. The senders hold the hop, never the object: once the object has closed the hop, work
// is dropped instead of posted, and work already queued when the object goes is dropped by Qt.
class ThreadHop {
public:
    explicit ThreadHop(QObject* target)
        : receiver(target) {}

    // Called by the receiver before it goes; waits at most for a post under way.
    void close() {
        const std::lock_guard guard(lock);
        receiver = nullptr;
    }

    // Runs `work` later on the receiver's thread, unless the receiver is gone by then.
    template <typename Work>
    void post(Work work) {
        const std::lock_guard guard(lock);
        if (receiver)
            QMetaObject::invokeMethod(receiver, std::move(work), Qt::QueuedConnection);
    }

private:
    std::mutex lock;
    QObject* receiver;
};
