#include "store/NetworkChild.h"

#include "LogCategories.h"
#include "process/FileDescriptor.h"
#include "process/Spawn.h"
#include "service/FetchFrames.h"

#include <QHash>
#include <QSet>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <poll.h>
#include <sys/wait.h>

namespace {

const QString notMadeMessage = QStringLiteral("The request could not be made.");

} // namespace

// One child, from its start to its end.
struct NetworkChild::Run {
    pid_t pid = 0;
    FileDescriptor toChild;
    // The calls it was handed and not yet taken back, and the answers that came for them.
    QSet<quint64> calls;
    QHash<quint64, HttpFetch::Outcome> answers;
    bool ended = false;
};

// What the callers and the threads that read each child's answers share.
struct NetworkChild::Shared {
    QString program;
    std::mutex mutex;
    std::condition_variable answered;
    std::shared_ptr<Run> current;
    quint64 nextId = 1;

    // The running child, started if need be; none when it cannot be started.
    std::shared_ptr<Run> running(const std::shared_ptr<Shared>& self) {
        if (current && !current->ended)
            return current;
        FileDescriptor requestsRead, requestsWrite, answersRead, answersWrite;
        if (!Spawn::makePipe(requestsRead, requestsWrite) ||
            !Spawn::makePipe(answersRead, answersWrite) || !Spawn::makeNonBlocking(requestsWrite))
            return nullptr;
        const std::optional<pid_t> pid =
            Spawn::start(program, {QStringLiteral("--network-child")}, std::nullopt,
                         {requestsRead.get(), answersWrite.get(), -1});
        if (!pid) {
            qCWarning(serviceLog) << "The network's child" << program << "could not be started";
            return nullptr;
        }
        current = std::make_shared<Run>();
        current->pid = *pid;
        current->toChild = std::move(requestsWrite);
        std::thread(readAnswers, self, current, std::move(answersRead)).detach();
        return current;
    }

    // Runs on a thread of its own while the child runs: hands each answer to its call, and when
    // the child has ended, ends the calls it left unanswered and collects it.
    static void readAnswers(std::shared_ptr<Shared> shared, std::shared_ptr<Run> run,
                            FileDescriptor fromChild) {
        QByteArray buffer;
        bool broken = false;
        char chunk[64 * 1024];
        while (!broken) {
            const ssize_t count = ::read(fromChild.get(), chunk, sizeof chunk);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            buffer.append(chunk, count);
            std::lock_guard lock(shared->mutex);
            while (const std::optional<QByteArray> record =
                       FetchFrames::takeFrame(buffer, broken)) {
                const std::optional<FetchFrames::Answer> answer = FetchFrames::readAnswer(*record);
                if (!answer) {
                    broken = true;
                    break;
                }
                if (run->calls.contains(answer->id))
                    run->answers.insert(answer->id, answer->outcome);
            }
            shared->answered.notify_all();
        }
        if (broken)
            qCWarning(serviceLog) << "The network's child gave an answer that cannot be read";
        {
            std::lock_guard lock(shared->mutex);
            run->ended = true;
            run->toChild = FileDescriptor();
            shared->answered.notify_all();
        }
        // A child that broke its answers is not left running for its calls.
        if (broken)
            ::kill(run->pid, SIGKILL);
        int status = 0;
        while (::waitpid(run->pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
};

NetworkChild::NetworkChild(QString program)
    : shared(std::make_shared<Shared>()) {
    shared->program = std::move(program);
}

std::shared_ptr<NetworkChild> NetworkChild::make(QString program) {
    return std::shared_ptr<NetworkChild>(new NetworkChild(std::move(program)));
}

NetworkChild::~NetworkChild() {
    // Its input ended, the child ends; the thread that reads its answers collects it.
    std::lock_guard lock(shared->mutex);
    if (shared->current)
        shared->current->toChild = FileDescriptor();
}

HttpFetch::Outcome NetworkChild::get(const QUrl& address, const HttpFetch::Headers& headers,
                                     int timeoutMilliseconds) {
    const auto giveUpAt = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(timeoutMilliseconds + graceMilliseconds);
    std::unique_lock lock(shared->mutex);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::shared_ptr<Run> run = shared->running(shared);
        if (!run)
            break;
        const quint64 id = shared->nextId++;
        const QByteArray frame =
            FetchFrames::framed(FetchFrames::Request{id, address, headers, timeoutMilliseconds});
        run->calls.insert(id);
        // A request is small and the child reads at once: a pipe that stays full means a child
        // that stopped reading, which is waited for no longer than the call would be.
        qsizetype done = 0;
        while (done < frame.size() && run->toChild.isOpen()) {
            const ssize_t count = Spawn::writeWithoutSignal(
                run->toChild.get(), frame.constData() + done, size_t(frame.size() - done));
            if (count > 0) {
                done += count;
                continue;
            }
            if (count < 0 && errno != EAGAIN && errno != EINTR)
                break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                giveUpAt - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd writable{run->toChild.get(), POLLOUT, 0};
            lock.unlock();
            ::poll(&writable, 1, int(left.count()));
            lock.lock();
        }
        // Half a request would garble every one after it: this child takes no more.
        if (done < frame.size())
            run->toChild = FileDescriptor();
        const bool answeredInTime = shared->answered.wait_until(
            lock, giveUpAt, [&] { return run->answers.contains(id) || run->ended; });
        run->calls.remove(id);
        if (const auto answer = run->answers.constFind(id); answer != run->answers.cend()) {
            const HttpFetch::Outcome outcome = *answer;
            run->answers.erase(answer);
            return outcome;
        }
        if (!answeredInTime) {
            qCWarning(serviceLog) << "The network's child did not answer in time";
            return HttpFetch::TransportError{HttpFetch::timedOutMessage};
        }
    }
    return HttpFetch::TransportError{notMadeMessage};
}

HttpFetch::Getter NetworkChild::getterOf(std::shared_ptr<NetworkChild> child) {
    return [child = std::move(child)](const QUrl& address, const HttpFetch::Headers& headers,
                                      int timeoutMilliseconds) {
        return child->get(address, headers, timeoutMilliseconds);
    };
}
