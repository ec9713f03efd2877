#include "service/FetchServer.h"

#include "LogCategories.h"
#include "service/FetchFrames.h"

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

class Calls {
public:
    explicit Calls(int output)
        : answers(output) {}

    // Makes the call on a thread of its own.
    void start(FetchFrames::Request request) {
        std::lock_guard lock(mutex);
        ++running;
        threads.emplace_back([this, request = std::move(request)] {
            const HttpFetch::Outcome outcome =
                HttpFetch::get(request.address, request.headers, request.timeoutMilliseconds);
            answer(FetchFrames::framed(FetchFrames::Answer{request.id, outcome}));
        });
    }

    bool isIdle() {
        std::lock_guard lock(mutex);
        return running == 0;
    }

    // True when every answer was written. The threads have ended when it returns, so that none
    // outlives the application object its calls used.
    bool waitForAll() {
        std::unique_lock lock(mutex);
        ended.wait(lock, [this] { return running == 0; });
        for (std::thread& thread : threads)
            thread.join();
        return written;
    }

private:
    void answer(const QByteArray& frame) {
        std::lock_guard lock(mutex);
        for (qsizetype done = 0; written && done < frame.size();) {
            const ssize_t count =
                ::write(answers, frame.constData() + done, size_t(frame.size() - done));
            if (count > 0)
                done += count;
            else if (count < 0 && errno != EINTR)
                written = false;
        }
        if (--running == 0)
            ended.notify_all();
    }

    const int answers;
    std::mutex mutex;
    std::condition_variable ended;
    int running = 0;
    bool written = true;
    // Those of a child's life, which ends after a few idle seconds.
    std::vector<std::thread> threads;
};

} // namespace

namespace FetchServer {

int serve(int input, int output, std::chrono::milliseconds idle) {
    Calls calls(output);
    QByteArray buffer;
    bool broken = false;
    while (!broken) {
        pollfd watched{input, POLLIN, 0};
        const int ready = ::poll(&watched, 1, int(idle.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0) {
            if (calls.isIdle())
                break;
            continue;
        }
        char chunk[16 * 1024];
        const ssize_t count = ::read(input, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        buffer.append(chunk, count);
        while (const std::optional<QByteArray> record = FetchFrames::takeFrame(buffer, broken)) {
            std::optional<FetchFrames::Request> request = FetchFrames::readRequest(*record);
            if (!request) {
                broken = true;
                break;
            }
            calls.start(std::move(*request));
        }
    }
    if (broken)
        qCWarning(serviceLog) << "A request for the network could not be read";
    return calls.waitForAll() && !broken ? 0 : 1;
}

} // namespace FetchServer
