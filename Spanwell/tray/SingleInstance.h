#pragma once

#include <QHash>
#include <QList>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class LocalConnection;
class LocalServer;
class QTimer;

// Keeps one running copy of the program per user and home folder. The first start holds a
// lock file and listens on a local socket beside it, in a folder only its user may open; a
// later start finds the lock taken, asks the running copy to show its panel, and ends. Other
// runs of the program use the same way in to ask the running copy for a refresh and wait for
// its end.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        // This process is the running copy; later starts arrive as `showRequested`. When it
        // could not listen, `problem()` says why, and it keeps trying.
        first,
        // Another copy runs and was asked to show its panel.
        forwarded,
        // Another copy holds the lock but did not answer.
        unreachable,
        // The folder, the lock or the socket is not this user's alone: `problem()` says why.
        refused,
    };

    // What a later start asks of the running copy.
    enum class Request { show, addAccount };

    enum class RefreshAnswer {
        // No copy runs.
        notRunning,
        // The running copy refreshed.
        refreshed,
        // A copy holds the lock but does not answer.
        noAnswer,
        // The copy went away before its refresh ended.
        ended,
        // The refresh did not end in time.
        timedOut,
        // As for `Claim::refused`; `refusal` says why.
        refused,
    };

    // The socket at `path`, and the lock file at `path` + ".lock".
    explicit SingleInstance(QString path, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "spanwell-" and a short digest of the home folder, so that a copy run against another
    // home folder (a test, a benchmark) is a copy of its own, in the runtime folder.
    static QString pathFor(const QString& home);
    // Why the lock and the socket at `path` are not to be trusted: their folder is not the
    // user's own and closed to others (a link is not a folder), or either belongs to another
    // user. Empty when they may be used.
    static QString refusal(const QString& path);

    // `request` is what a later start asks the running copy for, when there is one.
    Claim claim(Request request = Request::show);
    QString problem() const;

    // Asks the running copy, if there is one, to refresh now, and waits for the end of that
    // refresh, at most `timeoutMilliseconds`.
    static RefreshAnswer askToRefresh(const QString& path, int timeoutMilliseconds);
    // Tells the run that asked with `ticket` that its refresh has ended.
    void refreshEnded(quint64 ticket);

signals:
    void showRequested();
    void addAccountRequested();
    // Answer with `refreshEnded(ticket)` once a refresh that started after this has ended.
    void refreshRequested(quint64 ticket);

private:
    bool forward(Request request) const;
    void listen();
    void accept(LocalConnection* connection);

    QString path;
    QString problemText;
    std::unique_ptr<QLockFile> lock;
    LocalServer* server = nullptr;
    QTimer* keepListening = nullptr;
    // Connections that have not yet sent a whole line, oldest first.
    QList<QPointer<LocalConnection>> reading;
    quint64 lastTicket = 0;
    QHash<quint64, QPointer<LocalConnection>> waitingForRefresh;
};
