#pragma once

#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

// Keeps one running copy of the program per user and home folder. The first start holds a
// lock file and listens on a local socket only its user may reach; a later start finds the
// lock taken, asks the running copy to show its panel, and ends. Other runs of the program use
// the same way in to ask the running copy for a refresh and wait for its end.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        // This process is the running copy; later starts arrive as `showRequested`.
        first,
        // Another copy runs and was asked to show its panel.
        forwarded,
        // Another copy holds the lock but did not answer.
        unreachable,
    };

    enum class RefreshAnswer {
        // No copy runs.
        notRunning,
        // The running copy refreshed.
        refreshed,
        // A copy holds the lock but did not report a refresh in time.
        noAnswer,
    };

    // `name` tells copies apart: the lock file and the socket in the temporary folder are
    // named after it.
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "spanwell-", the user's id, "-" and a short digest of the home folder, so that a copy
    // run against another home folder (a test, a benchmark) is a copy of its own.
    static QString nameFor(const QString& home);

    Claim claim();

    // Asks the running copy, if there is one, to refresh now, and waits for the end of that
    // refresh, at most `timeoutMilliseconds`.
    static RefreshAnswer askToRefresh(const QString& name, int timeoutMilliseconds);
    // Tells the run that asked with `ticket` that its refresh has ended.
    void refreshEnded(quint64 ticket);

signals:
    void showRequested();
    // Answer with `refreshEnded(ticket)` once a refresh that started after this has ended.
    void refreshRequested(quint64 ticket);

private:
    static QString lockPath(const QString& name);
    // A live process holds the lock.
    static bool isHeld(const QString& name);
    bool forward() const;
    void answer(QLocalSocket* socket);

    QString name;
    std::unique_ptr<QLockFile> lock;
    QLocalServer* server = nullptr;
    quint64 lastTicket = 0;
    QHash<quint64, QPointer<QLocalSocket>> waitingForRefresh;
};
