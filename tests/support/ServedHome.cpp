#include "support/ServedHome.h"

#include "support/SpanwellProcess.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

namespace {

constexpr double sessionResetSeconds = 9000;
constexpr double weekResetSeconds = 302400;
// Seconds between 1970 and 2001, where the cache counts from.
constexpr double cacheEpoch = 978307200;

QJsonObject window(double share, double resetSeconds) {
    return {{QStringLiteral("utilization"), share},
            {QStringLiteral("resets_at"),
             QDateTime::currentDateTimeUtc().addSecs(qint64(resetSeconds)).toString(Qt::ISODate)}};
}

// Any folder name, even one that could not travel in a header.
QByteArray token(const QString& folderName) {
    return folderName.toUtf8().toHex();
}

} // namespace

ServedHome::ServedHome() {
    server.answer("/api/oauth/usage", [this](const LoopbackHttpServer::Request& request) {
        const QMutexLocker lock(&mutex);
        const QByteArray sent = request.values("Authorization").value(0).mid(7);
        return usage.value(sent, LoopbackHttpServer::Answer::of(401));
    });
}

QString ServedHome::addAccount(const QString& folderName, const QString& email, double session,
                               double week, int status) {
    const QString folder = home.addAccount(folderName, email);
    home.writeFile(
        folderName + QStringLiteral("/.credentials.json"),
        QJsonDocument(QJsonObject{{QStringLiteral("claudeAiOauth"),
                                   QJsonObject{{QStringLiteral("accessToken"),
                                                QString::fromLatin1(token(folderName))}}}})
            .toJson());
    const QJsonObject reply{{QStringLiteral("five_hour"), window(session, sessionResetSeconds)},
                            {QStringLiteral("seven_day"), window(week, weekResetSeconds)}};
    const QMutexLocker lock(&mutex);
    usage.insert(token(folderName),
                 LoopbackHttpServer::Answer::of(status, QJsonDocument(reply).toJson()));
    return folder;
}

void ServedHome::cacheSnapshot(const QString& folderName, double session, double week,
                               double ageSeconds) {
    const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0 - cacheEpoch;
    const auto reading = [now](const char* title, double share, double resetSeconds) {
        return QJsonObject{{QStringLiteral("title"), QLatin1String(title)},
                           {QStringLiteral("percent"), share},
                           {QStringLiteral("resetsAt"), now + resetSeconds}};
    };
    snapshots.insert(home.pathOf(folderName),
                     QJsonObject{{QStringLiteral("fetchedAt"), now - ageSeconds},
                                 {QStringLiteral("limits"),
                                  QJsonArray{reading("Session", session, sessionResetSeconds),
                                             reading("Week", week, weekResetSeconds)}}});
    home.writeFile(QStringLiteral(".local/share/Spanwell/snapshots.json"),
                   QJsonDocument(snapshots).toJson());
}

QProcessEnvironment ServedHome::environment() const {
    QProcessEnvironment environment = SpanwellProcess::environment(home.path());
    environment.insert(QStringLiteral("SPANWELL_API_ORIGIN"), server.origin());
    environment.insert(QStringLiteral("SPANWELL_UPDATE_FEED"),
                       server.origin() + QStringLiteral("/version.json"));
    return environment;
}

QString ServedHome::cachePath() const {
    return home.pathOf(QStringLiteral(".local/share/Spanwell/snapshots.json"));
}

int ServedHome::usageRequests() const {
    const QList<LoopbackHttpServer::Request> requests = server.requests();
    return int(std::count_if(requests.begin(), requests.end(), [](const auto& request) {
        return request.target == "/api/oauth/usage";
    }));
}

QJsonObject ServedHome::cached() const {
    return QJsonDocument::fromJson(readFile(cachePath())).object();
}
