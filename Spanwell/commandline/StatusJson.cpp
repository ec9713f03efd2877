#include "commandline/StatusJson.h"

#include "model/Format.h"
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

QString problemKind(FetchProblem::Kind kind) {
    switch (kind) {
    case FetchProblem::Kind::signInExpired:
        return QStringLiteral("signInExpired");
    case FetchProblem::Kind::noCredential:
        return QStringLiteral("noCredential");
    case FetchProblem::Kind::rateLimited:
        return QStringLiteral("rateLimited");
    case FetchProblem::Kind::failed:
        break;
    }
    return QStringLiteral("failed");
}

QJsonValue problemObject(const Entry& entry, Instant now) {
    if (!entry.problem)
        return QJsonValue::Null;
    return QJsonObject{
        {QStringLiteral("kind"), problemKind(entry.problem->kind())},
        {QStringLiteral("text"),
         EntryStatus::problemText(*entry.problem, entry.snapshot.has_value(), now)},
        {QStringLiteral("nextCheckAt"), instantOrNull(entry.problem->nextCheck())},
    };
}

QJsonValue amountOrNull(const std::optional<Money>& amount) {
    return amount ? QJsonValue(amount->value()) : QJsonValue(QJsonValue::Null);
}

// Amounts in the currency's major unit, as the text shows them.
QJsonObject moneyObject(const MoneyUse& use) {
    const std::optional<Money>& named = use.used ? use.used : use.limit;
    return QJsonObject{
        {QStringLiteral("used"), amountOrNull(use.used)},
        {QStringLiteral("limit"), amountOrNull(use.limit)},
        {QStringLiteral("currency"), orNull(named ? named->currency : std::nullopt)},
        {QStringLiteral("percent"), orNull(use.percent())},
        {QStringLiteral("text"), Format::moneyUse(use)},
    };
}

QJsonValue extraUsageOrNull(const std::optional<Snapshot>& snapshot) {
    if (!snapshot || !snapshot->extraUsage)
        return QJsonValue::Null;
    QJsonObject object = moneyObject(snapshot->extraUsage->use());
    object.insert(QStringLiteral("enabled"), snapshot->extraUsage->isEnabled);
    return object;
}

QJsonValue spendOrNull(const std::optional<Snapshot>& snapshot) {
    if (!snapshot || !snapshot->spend)
        return QJsonValue::Null;
    return moneyObject(snapshot->spend->use());
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
        {QStringLiteral("extraUsage"), extraUsageOrNull(snapshot)},
        {QStringLiteral("spend"), spendOrNull(snapshot)},
        {QStringLiteral("problem"), problemObject(entry, now)},
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
