#pragma once

#include "login/CollectedOutput.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class WatchedChild;

// One run of Claude Code's interactive login, `claude auth login --claudeai`, for one
// configuration folder: it collects everything the child prints (standard output and standard
// error on one pipe), hands the whole text to its owner after each read, types sign-in codes
// into the child and reports how it ended. It knows nothing of addresses or success.
//
// Threads: the child is watched by two threads of its own (see WatchedChild), which run both
// handlers, one call at a time and never on the owner's thread. The owner's calls never wait
// for the child. The collected text is guarded by one lock, never held during a handler. The
// handlers hold the session weakly: once it is gone, output is read and dropped and the exit is
// still reported; dropping the last reference neither stops the child nor waits for it.
class LoginSession : public std::enable_shared_from_this<LoginSession> {
public:
    enum class StartError { noClaudeCode, couldNotRun };
    using OutputHandler = std::function<void(const QString& wholeText)>;
    // The exit code of a normal exit; for a child ended by a signal, the signal's number (so
    // never 0); -1 when the status was lost.
    using ExitHandler = std::function<void(int status)>;

    // email is cleaned at creation: trimmed; absent unless it contains "@".
    static std::shared_ptr<LoginSession> create(QString configDir, bool isDefault,
                                                std::optional<QString> email);
    ~LoginSession();

    const QString& configDir() const { return folder; }
    bool isDefault() const { return defaultFolder; }
    const std::optional<QString>& email() const { return suggestedEmail; }

    // Absent on success. Both handlers are called on a background thread, never the thread
    // that called start(); onOutput gets the whole text so far; onExit is called exactly once.
    // A session starts one child at most: a second start fails with couldNotRun.
    std::optional<StartError> start(const std::optional<QString>& claudePath,
                                    OutputHandler onOutput, ExitHandler onExit);
    // Types the trimmed code and a line feed into a running child; a blank code is not sent.
    void send(const QString& code);
    // Termination request; a child still running 2 seconds later is killed. Once it has ended, a
    // folder the session made for it is removed when nothing was written into it.
    void cancel();
    // The output so far: at most the first and the last 256 Ki UTF-16 units, joined by "…".
    QString text() const;
    bool isRunning() const;

private:
    LoginSession(QString configDir, bool isDefault, std::optional<QString> email);

    // Each returns the whole text when the collected text changed.
    std::optional<QString> receive(QByteArrayView bytes);
    std::optional<QString> finishOutput();
    std::shared_ptr<WatchedChild> runningChild() const;

    const QString folder;
    const bool defaultFolder;
    const std::optional<QString> suggestedEmail;

    mutable std::mutex lock;
    CollectedOutput collected;
    std::shared_ptr<WatchedChild> child;
    // Shared with the exit handler, which may run after the session is gone.
    const std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
};
