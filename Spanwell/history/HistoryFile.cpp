#include "history/HistoryFile.h"

#include "LogCategories.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <cmath>
#include <fcntl.h>
#include <unistd.h>

namespace {

// SQLite's own codes for a file that is no database, or a damaged one, and one it cannot open.
const QString notADatabase = QStringLiteral("26");
const QString corrupt = QStringLiteral("11");
const QString cannotOpen = QStringLiteral("14");

// The file keeps instants as seconds since 1970, which a script reading it expects.
QVariant unixSeconds(std::optional<Instant> instant) {
    return instant ? QVariant(instant->unixSeconds()) : QVariant(QMetaType(QMetaType::Double));
}

std::optional<Instant> instantOf(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return Instant::fromUnixSeconds(value.toDouble());
}

bool isDamaged(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == notADatabase || code == corrupt || code == cannotOpen;
}

} // namespace

HistoryFile::HistoryFile(QString file)
    : path(std::move(file)) {
    static QAtomicInteger<quint64> connections;
    connection = QStringLiteral("spanwell-history-%1-%2")
                     .arg(quintptr(QThread::currentThreadId()))
                     .arg(connections.fetchAndAddRelaxed(1));
    open = openFile();
}

HistoryFile::~HistoryFile() {
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

bool HistoryFile::openFile() {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        qCWarning(historyLog) << "Qt's SQLite driver is missing; no history is kept or shown";
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        qCWarning(historyLog).noquote() << "The folder of" << path << "could not be made";
        return false;
    }
    // A damaged file is moved aside once; a new one that fails too is left for the next run.
    for (int attempt = 0; attempt < 2; ++attempt) {
        // What the user's accounts used and when is theirs alone, as the cache is; SQLite gives
        // its journal files the mode of the database's.
        if (const int made = ::open(QFile::encodeName(path).constData(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            made >= 0)
            ::close(made);
        QSqlError error;
        {
            QSqlDatabase database =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            database.setDatabaseName(path);
            database.setConnectOptions(
                QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyMilliseconds));
            if (database.open() ? prepare(error) : (error = database.lastError(), false))
                return true;
            database.close();
        }
        QSqlDatabase::removeDatabase(connection);
        if (attempt > 0 || !isDamaged(error) || !QFileInfo::exists(path)) {
            qCWarning(historyLog).noquote()
                << "The history" << path << "could not be opened:" << error.text();
            return false;
        }
        moveAside(error.text());
    }
    return false;
}

// Reads the schema version, which is the first read of the file and so the one that finds a
// file that is no database; makes the tables in a new file.
bool HistoryFile::prepare(QSqlError& error) {
    QSqlQuery query(QSqlDatabase::database(connection, false));
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        error = query.lastError();
        return false;
    }
    const int version = query.value(0).toInt();
    writable = version <= schemaVersion;
    if (!writable)
        return true;
    // Write-ahead logging lets readers go on while one writes; it stays set in the file.
    query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (version == schemaVersion)
        return true;
    // Two runs that start a new file at once make its tables once.
    const QStringList steps = {
        QStringLiteral("BEGIN IMMEDIATE"),
        // Each limit once; its readings kept in its order of time, which every read and
        // removal follows.
        QStringLiteral("CREATE TABLE IF NOT EXISTS limits (id INTEGER PRIMARY KEY, folder TEXT "
                       "NOT NULL, title TEXT NOT NULL, UNIQUE (folder, title))"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS readings (limit_id INTEGER NOT NULL "
                       "REFERENCES limits (id), read_at REAL NOT NULL, percent REAL NOT NULL, "
                       "resets_at REAL, source TEXT NOT NULL, PRIMARY KEY (limit_id, read_at)) "
                       "WITHOUT ROWID"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS upkeep (task TEXT PRIMARY KEY, done_at REAL "
                       "NOT NULL)"),
        QStringLiteral("PRAGMA user_version=%1").arg(schemaVersion),
        QStringLiteral("COMMIT"),
    };
    for (const QString& step : steps)
        if (!query.exec(step)) {
            qCWarning(historyLog).noquote()
                << "The history" << path << "could not be set up:" << query.lastError().text();
            query.exec(QStringLiteral("ROLLBACK"));
            // The file is sound; this run keeps nothing.
            writable = false;
            return true;
        }
    return true;
}

void HistoryFile::moveAside(const QString& why) const {
    const QString aside =
        path + QStringLiteral(".unreadable-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const bool moved = QFile::rename(path, aside);
    // The log and the index of the old file would be taken for the new one's.
    for (const char* suffix : {"-wal", "-shm"})
        QFile::rename(path + QLatin1String(suffix), aside + QLatin1String(suffix));
    if (moved)
        qCWarning(historyLog).noquote() << "The history" << path << "could not be read (" << why
                                        << "); it was moved to" << aside << "and a new one begun";
    else
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be read (" << why << ") nor moved aside";
}

int HistoryFile::record(const QList<HistoryReading>& readings, Instant now, int retentionDays) {
    if (!open || !writable || readings.isEmpty())
        return 0;
    QSqlDatabase database = QSqlDatabase::database(connection, false);
    QSqlQuery query(database);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be written:" << query.lastError().text();
        return 0;
    }
    QSqlQuery addLimit(database);
    addLimit.prepare(QStringLiteral("INSERT OR IGNORE INTO limits (folder, title) VALUES (?, ?)"));
    QSqlQuery findLimit(database);
    findLimit.prepare(QStringLiteral("SELECT id FROM limits WHERE folder = ? AND title = ?"));
    QSqlQuery last(database);
    last.prepare(QStringLiteral("SELECT percent, resets_at, read_at FROM readings WHERE limit_id = "
                                "? AND read_at <= ? ORDER BY read_at DESC LIMIT 1"));
    QSqlQuery insert(database);
    insert.prepare(QStringLiteral("INSERT OR IGNORE INTO readings (limit_id, read_at, percent, "
                                  "resets_at, source) VALUES (?, ?, ?, ?, ?)"));
    int kept = 0;
    bool failed = false;
    for (const HistoryReading& reading : readings) {
        addLimit.addBindValue(reading.folder);
        addLimit.addBindValue(reading.title);
        findLimit.addBindValue(reading.folder);
        findLimit.addBindValue(reading.title);
        if (!addLimit.exec() || !findLimit.exec() || !findLimit.next()) {
            failed = true;
            break;
        }
        const qint64 limit = findLimit.value(0).toLongLong();
        findLimit.finish();
        const double readAt = reading.readAt.unixSeconds();
        last.addBindValue(limit);
        last.addBindValue(readAt);
        const bool repeated = last.exec() && last.next() &&
                              readAt - last.value(2).toDouble() <= duplicateSeconds &&
                              last.value(0).toDouble() == reading.percent &&
                              instantOf(last.value(1)) == reading.resetsAt;
        last.finish();
        if (repeated)
            continue;
        insert.addBindValue(limit);
        insert.addBindValue(readAt);
        insert.addBindValue(reading.percent);
        insert.addBindValue(unixSeconds(reading.resetsAt));
        insert.addBindValue(HistoryReading::sourceName(reading.source));
        if (!insert.exec()) {
            failed = true;
            break;
        }
        kept += insert.numRowsAffected() > 0 ? 1 : 0;
    }
    query.exec(QStringLiteral("SELECT done_at FROM upkeep WHERE task = 'prune'"));
    const double pruned = query.next() ? query.value(0).toDouble() : -INFINITY;
    query.finish();
    const double present = now.unixSeconds();
    if (!failed && retentionDays > 0 && !(present - pruned < pruneIntervalSeconds)) {
        // Limit by limit, along the order the readings are kept in.
        query.prepare(QStringLiteral("DELETE FROM readings WHERE limit_id IN (SELECT id FROM "
                                     "limits) AND read_at < ?"));
        query.addBindValue(present - retentionDays * 86400.0);
        QSqlQuery done(database);
        done.prepare(QStringLiteral("INSERT OR REPLACE INTO upkeep (task, done_at) VALUES "
                                    "('prune', ?)"));
        done.addBindValue(present);
        failed = !query.exec() || !done.exec();
    }
    if (failed || !query.exec(QStringLiteral("COMMIT"))) {
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be written:" << query.lastError().text();
        query.exec(QStringLiteral("ROLLBACK"));
        return 0;
    }
    return kept;
}

// The limits, of one folder when `folder` is given, by folder and title.
QList<HistoryFile::Limit> HistoryFile::limits(const QString& folder) const {
    QList<Limit> found;
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, folder, title FROM limits%1 ORDER BY folder, title")
                      .arg(folder.isEmpty() ? QString() : QStringLiteral(" WHERE folder = ?")));
    if (!folder.isEmpty())
        query.addBindValue(folder);
    if (!query.exec())
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be read:" << query.lastError().text();
    while (query.next())
        found.append(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    return found;
}

void HistoryFile::eachLimitSince(
    Instant since, const QString& folder, const QString& columns,
    const std::function<void(const Limit& limit, QSqlQuery& rows)>& read) const {
    if (!open)
        return;
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM readings WHERE limit_id = ? AND read_at >= ? "
                                 "ORDER BY read_at")
                      .arg(columns));
    for (const Limit& limit : limits(folder)) {
        query.addBindValue(limit.id);
        query.addBindValue(since.unixSeconds());
        if (!query.exec()) {
            qCWarning(historyLog).noquote()
                << "The history" << path << "could not be read:" << query.lastError().text();
            return;
        }
        read(limit, query);
    }
}

QList<HistoryReading> HistoryFile::readings(Instant since, const QString& folder) const {
    QList<HistoryReading> found;
    eachLimitSince(since, folder, QStringLiteral("read_at, percent, resets_at, source"),
                   [&found](const Limit& limit, QSqlQuery& rows) {
                       while (rows.next())
                           found.append({limit.folder, limit.title, rows.value(1).toDouble(),
                                         instantOf(rows.value(2)),
                                         Instant::fromUnixSeconds(rows.value(0).toDouble()),
                                         HistoryReading::sourceNamed(rows.value(3).toString())
                                             .value_or(HistoryReading::Source::service)});
                   });
    return found;
}

QList<LimitHistory> HistoryFile::recentUse(Instant since, Instant detailedFrom,
                                           double spacingSeconds) const {
    QList<LimitHistory> found;
    const double spacing = std::max(spacingSeconds, 1.0);
    const double detailed = detailedFrom.unixSeconds();
    eachLimitSince(
        since, {}, QStringLiteral("read_at, percent"),
        [&found, spacing, detailed](const Limit& limit, QSqlQuery& rows) {
            QList<UsePoint> points;
            double bucket = -INFINITY;
            // The last reading of each span of `spacing` seconds, then each one.
            while (rows.next()) {
                const double readAt = rows.value(0).toDouble();
                const UsePoint point{Instant::fromUnixSeconds(readAt), rows.value(1).toDouble()};
                const bool thinned = readAt < detailed;
                if (thinned && std::floor(readAt / spacing) == bucket)
                    points.last() = point;
                else
                    points.append(point);
                bucket = thinned ? std::floor(readAt / spacing) : NAN;
            }
            if (!points.isEmpty()) {
                points.squeeze();
                found.append({limit.folder, limit.title, points});
            }
        });
    return found;
}
