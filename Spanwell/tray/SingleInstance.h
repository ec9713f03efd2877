#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

// Keeps one running copy of the program per user and home folder. The first start holds a
// lock file and listens on a local socket only its user may reach; a later start finds the
// lock taken, asks the running copy to show its panel, and ends.
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

    // `name` tells copies apart: the lock file and the socket in the temporary folder are
    // named after it.
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "spanwell-", the user's id, "-" and a short digest of the home folder, so that a copy
    // run against another home folder (a test, a benchmark) is a copy of its own.
    static QString nameFor(const QString& home);

    Claim claim();

signals:
    void showRequested();

private:
    bool forward() const;
    void answer(QLocalSocket* socket);

    QString name;
    std::unique_ptr<QLockFile> lock;
    QLocalServer* server = nullptr;
};
