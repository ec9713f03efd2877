#include "commandline/StatusJson.h"

#include "model/LimitWindow.h"
#include "store/EntryStatus.h"
#include "store/PanelFigures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QJsonValue orNull(const std::optional<QString>& text) {
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const std::optional<double>& number) {
    return number ? QJsonValue(*number) : QJsonValue(QJsonValue::Null);
}

QJsonValue instantOrNull(const std::optional<Instant>& instant) {
    return instant ? QJsonValue(StatusJson::rfc3339(*instant)) : QJsonValue(QJsonValue::Null);
}

QString levelName(AccountStatus::Level level) {
    switch (level) {
    case AccountStatus::Level::ready:
        return QStringLiteral("ready");
    case AccountStatus::Level::partial:
        return QStringLiteral("partial");
    case AccountStatus::Level::blocked:
        return QStringLiteral("blocked");
    case AccountStatus::Level::unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QJsonObject limitObject(const LimitReading& reading, Instant now) {
    return QJsonObject{
        {QStringLiteral("title"), reading.title},
        {QStringLiteral("percent"), reading.percent},
        {QStringLiteral("resetsAt"), instantOrNull(reading.resetsAt)},
        {QStringLiteral("windowShareGone"), orNull(LimitWindow::elapsedShare(reading, now))},
    };
}

QJsonObject accountObject(const Entry& entry, Instant now, const QString& home) {
    const AccountStatus verdict = EntryStatus::verdict(entry, now);
    QJsonArray limits;
    for (const LimitReading& reading : EntryStatus::currentLimits(entry, now))
        limits.append(limitObject(reading, now));
    const std::optional<Snapshot>& snapshot = entry.snapshot;
    return QJsonObject{
        {QStringLiteral("email"), entry.account.email},
        {QStringLiteral("folder"), entry.account.configDir},
        {QStringLiteral("folderLabel"), entry.account.folderLabel(home)},
        {QStringLiteral("isDefault"), entry.account.isDefault()},
        {QStringLiteral("plan"), orNull(snapshot ? snapshot->plan : std::nullopt)},
        {QStringLiteral("verdict"), QJsonObject{{QStringLiteral("kind"), levelName(verdict.level)},
                                                {QStringLiteral("text"), verdict.text}}},
        {QStringLiteral("limits"), limits},
        {QStringLiteral("problem"),
         orNull(entry.problem ? std::optional<QString>(
                                    EntryStatus::problemText(*entry.problem, snapshot.has_value()))
                              : std::nullopt)},
        {QStringLiteral("fetchedAt"),
         instantOrNull(snapshot ? std::optional<Instant>(snapshot->fetchedAt) : std::nullopt)},
    };
}

} // namespace

namespace StatusJson {

QString rfc3339(Instant instant) {
    return instant.toDateTime().toUTC().toString(Qt::ISODateWithMs);
}

QByteArray document(const QList<Entry>& entries, Instant now, const QString& home) {
    QJsonArray accounts;
    for (const Entry& entry : entries)
        accounts.append(accountObject(entry, now, home));
    const QJsonObject summary{
        {QStringLiteral("accounts"), entries.size()},
        {QStringLiteral("usable"), PanelFigures::usableCount(entries, now)},
        {QStringLiteral("averageSessionPercent"),
         orNull(PanelFigures::averageSession(entries, now))},
    };
    const QJsonObject root{
        {QStringLiteral("version"), version},
        {QStringLiteral("generatedAt"), rfc3339(now)},
        {QStringLiteral("summary"), summary},
        {QStringLiteral("accounts"), accounts},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace StatusJson
