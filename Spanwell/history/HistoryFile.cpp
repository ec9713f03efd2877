#include "history/HistoryFile.h"

#include "LogCategories.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <cmath>

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

// Reading a week makes the same few texts thousands of times; one copy of each is kept.
const QString& shared(QSet<QString>& texts, const QString& text) {
    return *texts.insert(text);
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
        QStringLiteral("CREATE TABLE IF NOT EXISTS readings (folder TEXT NOT NULL, title TEXT NOT "
                       "NULL, percent REAL NOT NULL, resets_at REAL, read_at REAL NOT NULL, "
                       "source TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS readings_by_limit ON readings (folder, title, "
                       "read_at)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS readings_by_time ON readings (read_at)"),
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
    QSqlQuery last(database);
    last.prepare(QStringLiteral("SELECT percent, resets_at, read_at FROM readings WHERE folder = ? "
                                "AND title = ? AND read_at <= ? ORDER BY read_at DESC LIMIT 1"));
    QSqlQuery insert(database);
    insert.prepare(QStringLiteral("INSERT INTO readings (folder, title, percent, resets_at, "
                                  "read_at, source) VALUES (?, ?, ?, ?, ?, ?)"));
    int kept = 0;
    bool failed = false;
    for (const HistoryReading& reading : readings) {
        const double readAt = reading.readAt.unixSeconds();
        last.addBindValue(reading.folder);
        last.addBindValue(reading.title);
        last.addBindValue(readAt);
        if (last.exec() && last.next() && readAt - last.value(2).toDouble() <= duplicateSeconds &&
            last.value(0).toDouble() == reading.percent &&
            instantOf(last.value(1)) == reading.resetsAt)
            continue;
        insert.addBindValue(reading.folder);
        insert.addBindValue(reading.title);
        insert.addBindValue(reading.percent);
        insert.addBindValue(unixSeconds(reading.resetsAt));
        insert.addBindValue(readAt);
        insert.addBindValue(HistoryReading::sourceName(reading.source));
        if (!insert.exec()) {
            failed = true;
            break;
        }
        ++kept;
    }
    query.exec(QStringLiteral("SELECT done_at FROM upkeep WHERE task = 'prune'"));
    const double pruned = query.next() ? query.value(0).toDouble() : -INFINITY;
    const double present = now.unixSeconds();
    if (!failed && retentionDays > 0 && !(present - pruned < pruneIntervalSeconds)) {
        query.prepare(QStringLiteral("DELETE FROM readings WHERE read_at < ?"));
        query.addBindValue(present - retentionDays * 86400.0);
        QSqlQuery done(database);
        done.prepare(QStringLiteral("INSERT OR REPLACE INTO upkeep (task, done_at) VALUES "
                                    "('prune', ?)"));
        done.addBindValue(present);
        failed = !query.exec() || !done.exec();
    }
    if (failed || !query.exec(QStringLiteral("COMMIT"))) {
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be written:" << database.lastError().text();
        query.exec(QStringLiteral("ROLLBACK"));
        return 0;
    }
    return kept;
}

QList<HistoryReading> HistoryFile::readings(Instant since, const QString& folder) const {
    QList<HistoryReading> found;
    if (!open)
        return found;
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT folder, title, percent, resets_at, read_at, source FROM "
                                 "readings WHERE read_at >= ?%1 ORDER BY folder, title, read_at")
                      .arg(folder.isEmpty() ? QString() : QStringLiteral(" AND folder = ?")));
    query.addBindValue(since.unixSeconds());
    if (!folder.isEmpty())
        query.addBindValue(folder);
    if (!query.exec()) {
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be read:" << query.lastError().text();
        return found;
    }
    QSet<QString> texts;
    while (query.next())
        found.append({shared(texts, query.value(0).toString()),
                      shared(texts, query.value(1).toString()), query.value(2).toDouble(),
                      instantOf(query.value(3)),
                      Instant::fromUnixSeconds(query.value(4).toDouble()),
                      HistoryReading::sourceNamed(query.value(5).toString())
                          .value_or(HistoryReading::Source::service)});
    return found;
}

QList<LimitHistory> HistoryFile::recentUse(Instant since, double spacingSeconds) const {
    QList<LimitHistory> found;
    if (!open)
        return found;
    QSqlQuery query(QSqlDatabase::database(connection, false));
    query.setForwardOnly(true);
    // With MAX, SQLite gives the other columns of the row that holds the greatest value.
    query.prepare(QStringLiteral("SELECT folder, title, MAX(read_at) AS at, percent FROM readings "
                                 "WHERE read_at >= ? GROUP BY folder, title, CAST(read_at / ? AS "
                                 "INTEGER) ORDER BY folder, title, at"));
    query.addBindValue(since.unixSeconds());
    query.addBindValue(std::max(spacingSeconds, 1.0));
    if (!query.exec()) {
        qCWarning(historyLog).noquote()
            << "The history" << path << "could not be read:" << query.lastError().text();
        return found;
    }
    while (query.next()) {
        const QString folder = query.value(0).toString();
        const QString title = query.value(1).toString();
        if (found.isEmpty() || found.last().folder != folder || found.last().title != title)
            found.append({folder, title, {}});
        found.last().points.append(
            {Instant::fromUnixSeconds(query.value(2).toDouble()), query.value(3).toDouble()});
    }
    for (LimitHistory& history : found)
        history.points.squeeze();
    return found;
}
