#include "commandline/WaybarLine.h"

#include "commandline/StatusTable.h"
#include "model/Format.h"
#include "store/PanelFigures.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

QString styleClass(int usable, qsizetype accounts) {
    if (usable == 0)
        return QStringLiteral("none-usable");
    return usable == accounts ? QStringLiteral("all-usable") : QStringLiteral("some-blocked");
}

QString tooltip(const QList<Entry>& entries, Instant now) {
    if (entries.isEmpty())
        return StatusTable::noAccounts();
    QStringList lines;
    for (const Entry& entry : entries)
        lines.append(StatusTable::cells(entry, now).join(QStringLiteral("  ")).toHtmlEscaped());
    return lines.join(QLatin1Char('\n'));
}

} // namespace

namespace WaybarLine {

QString summary(const QList<Entry>& entries, Instant now) {
    QString text =
        QStringLiteral("%1/%2").arg(PanelFigures::usableCount(entries, now)).arg(entries.size());
    if (const std::optional<double> average = PanelFigures::averageSession(entries, now))
        text += QStringLiteral(" \u00B7 ") + Format::percent(*average);
    return text;
}

QByteArray line(const QList<Entry>& entries, Instant now) {
    const std::optional<double> average = PanelFigures::averageSession(entries, now);
    const QString style = styleClass(PanelFigures::usableCount(entries, now), entries.size());
    const QJsonObject object{
        {QStringLiteral("text"), summary(entries, now)},
        {QStringLiteral("tooltip"), tooltip(entries, now)},
        {QStringLiteral("class"), style},
        // For waybar's format-icons, which pick an icon by `alt`.
        {QStringLiteral("alt"), style},
        {QStringLiteral("percentage"), average ? std::clamp(std::round(*average), 0.0, 100.0) : 0},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace WaybarLine
