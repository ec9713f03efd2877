#include "commandline/HistoryOutput.h"

#include "commandline/StatusJson.h"
#include "model/Account.h"
#include "model/Format.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString instantText(const std::optional<Instant>& instant) {
    return instant ? StatusJson::rfc3339(*instant) : QString();
}

} // namespace

namespace HistoryOutput {

QByteArray csv(const QList<HistoryReading>& readings) {
    QString text = QStringLiteral("folder,title,percent,resetsAt,readAt,source\r\n");
    for (const HistoryReading& reading : readings)
        text +=
            QStringList{
                csvField(reading.folder),         csvField(reading.title),
                QString::number(reading.percent), instantText(reading.resetsAt),
                instantText(reading.readAt),      HistoryReading::sourceName(reading.source)}
                .join(QLatin1Char(',')) +
            QStringLiteral("\r\n");
    return text.toUtf8();
}

QByteArray json(const QList<HistoryReading>& readings) {
    QJsonArray list;
    for (const HistoryReading& reading : readings)
        list.append(QJsonObject{
            {QStringLiteral("folder"), reading.folder},
            {QStringLiteral("title"), reading.title},
            {QStringLiteral("percent"), reading.percent},
            {QStringLiteral("resetsAt"), reading.resetsAt
                                             ? QJsonValue(StatusJson::rfc3339(*reading.resetsAt))
                                             : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("readAt"), StatusJson::rfc3339(reading.readAt)},
            {QStringLiteral("source"), HistoryReading::sourceName(reading.source)},
        });
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

QString table(const QList<HistoryReading>& readings, Instant since, const QString& home,
              const Calendar& calendar, const QLocale& locale) {
    if (readings.isEmpty())
        return QStringLiteral("No readings kept since %1.\n")
            .arg(locale.toString(calendar.dateTime(since), QStringLiteral("ddd MMM d, HH:mm")));
    QString text;
    const HistoryReading* limit = nullptr;
    // The day being summed up: its date, peak and number of readings.
    QDate day;
    double peak = 0;
    int count = 0;
    const auto endDay = [&] {
        if (count > 0)
            text += QStringLiteral("  %1  %2  %3\n")
                        .arg(locale.toString(day, QStringLiteral("ddd MMM d")), -12)
                        .arg(Format::percent(peak), 5)
                        .arg(count == 1 ? QStringLiteral("1 reading")
                                        : QStringLiteral("%1 readings").arg(count));
        count = 0;
    };
    for (const HistoryReading& reading : readings) {
        const QDate date = calendar.dateTime(reading.readAt).date();
        if (!limit || limit->folder != reading.folder || limit->title != reading.title) {
            endDay();
            const Account account{reading.folder, {}, {}, {}, {}};
            text += (limit ? QStringLiteral("\n") : QString()) + account.folderLabel(home) +
                    QStringLiteral(" \u00B7 ") + reading.title + QLatin1Char('\n');
            limit = &reading;
        } else if (date != day) {
            endDay();
        }
        if (count == 0 || reading.percent > peak)
            peak = reading.percent;
        day = date;
        ++count;
    }
    endDay();
    return text;
}

QString folderNamed(const QString& given, const QString& home) {
    if (QDir::isAbsolutePath(given))
        return QDir::cleanPath(given);
    const QString below = given.startsWith(QStringLiteral("~/")) ? given.mid(2) : given;
    return QDir::cleanPath(home + QLatin1Char('/') + below);
}

} // namespace HistoryOutput
