#include "support/ServedHome.h"

#include "support/SpanwellProcess.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

constexpr double sessionResetSeconds = 9000;
constexpr double weekResetSeconds = 302400;

QJsonObject window(double share, double resetSeconds) {
    const QDateTime reset = QDateTime::currentDateTimeUtc().addSecs(qint64(resetSeconds));
    return {{"utilization", share}, {"resets_at", reset.toString(Qt::ISODate)}};
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
                               double week, int status, const QByteArray& retryAfter) {
    const QJsonObject credential{{"accessToken", QString::fromLatin1(token(folderName))}};
    home.writeFile(folderName + "/.credentials.json",
                   QJsonDocument(QJsonObject{{"claudeAiOauth", credential}}).toJson());
    const QJsonObject reply{{"five_hour", window(session, sessionResetSeconds)},
                            {"seven_day", window(week, weekResetSeconds)}};
    const QMutexLocker lock(&mutex);
    LoopbackHttpServer::Answer answer =
        LoopbackHttpServer::Answer::of(status, QJsonDocument(reply).toJson());
    usage.insert(token(folderName),
                 retryAfter.isEmpty() ? answer : answer.withHeader("Retry-After", retryAfter));
    return home.addAccount(folderName, email);
}

void ServedHome::stopAnswering(const QString& folderName) {
    const QMutexLocker lock(&mutex);
    usage.insert(token(folderName), LoopbackHttpServer::Answer::never());
}

QProcessEnvironment ServedHome::environment() const {
    return SpanwellProcess::environment(home.path(), server.origin());
}

QString ServedHome::cachePath() const {
    return home.pathOf(".local/share/Spanwell/snapshots.json");
}

int ServedHome::usageRequests() const {
    const QList<LoopbackHttpServer::Request> requests = server.requests();
    return int(std::count_if(requests.begin(), requests.end(), [](const auto& request) {
        return request.target == "/api/oauth/usage";
    }));
}
