#pragma once

#include "model/HistoryReading.h"
#include "model/Instant.h"

#include <QList>
#include <QString>

#include <functional>

class QSqlError;
class QSqlQuery;

// The history of readings, an SQLite file that the tray program and any number of terminal runs
// write side by side (write-ahead log, a busy time-out). An object is one connection of its
// own, for one thread and the moment of its work: a thread never shares it. Nothing here fails
// the program: a file that cannot be opened or is not a database is moved aside, with a log
// line, and a new one started; any other failure is logged and keeps nothing.
class HistoryFile {
public:
    // The layout of the file, kept in its user_version; a file of a later one, which a newer
    // program wrote, is read but never written.
    static constexpr int schemaVersion = 1;
    // A reading equal to the last one of its limit within this many seconds is not kept again.
    static constexpr double duplicateSeconds = 60;
    // How long a writer waits for another one's write to end.
    static constexpr int busyMilliseconds = 5000;
    // Old readings are removed at most this often, by whichever writer comes first.
    static constexpr double pruneIntervalSeconds = 86400;

    explicit HistoryFile(QString path);
    ~HistoryFile();
    HistoryFile(const HistoryFile&) = delete;
    HistoryFile& operator=(const HistoryFile&) = delete;

    bool isOpen() const { return open; }

    // Keeps `readings`, and removes those read more than `retentionDays` (when more than 0)
    // before `now` when that was last done a day ago or more. The number of readings kept.
    int record(const QList<HistoryReading>& readings, Instant now, int retentionDays);

    // The readings taken at `since` or later, by folder, title and time; of one folder when
    // `folder` is given.
    QList<HistoryReading> readings(Instant since, const QString& folder = {}) const;

    // Each limit's use since `since`: every reading from `detailedFrom` on, and before it the
    // last of each `spacingSeconds` only, as much as a chart and the pace need.
    QList<LimitHistory> recentUse(Instant since, Instant detailedFrom, double spacingSeconds) const;

private:
    struct Limit {
        qint64 id = 0;
        QString folder;
        QString title;
    };

    QList<Limit> limits(const QString& folder) const;
    // Hands `read` each limit (of `folder` when given) with its readings since `since`, these
    // columns of them in the order of time.
    void eachLimitSince(Instant since, const QString& folder, const QString& columns,
                        const std::function<void(const Limit& limit, QSqlQuery& rows)>& read) const;
    bool openFile();
    // Sets `error` and gives false when the file is no database.
    bool prepare(QSqlError& error);
    void moveAside(const QString& why) const;

    QString path;
    QString connection;
    bool open = false;
    bool writable = false;
};
