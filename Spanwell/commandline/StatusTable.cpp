#include "commandline/StatusTable.h"

#include "model/Format.h"
#include "model/PrintableText.h"
#include "store/EntryStatus.h"

#include <algorithm>

namespace {

const QString columnGap = QStringLiteral("  ");
// The widest a cell is printed; a longer one (an e-mail address of any length) keeps its two
// ends, as the panel shortens it.
constexpr qsizetype widestCell = 60;

// "session 42% · 1h 51m": the limit's name, its use and, when it has one, its reset countdown;
// "session -" when there is no such limit.
QString figure(const QList<LimitReading>& readings, QLatin1String title, Instant now) {
    const QString name = QString(title).toLower() + QLatin1Char(' ');
    const auto reading = std::find_if(readings.begin(), readings.end(),
                                      [title](const LimitReading& r) { return r.title == title; });
    if (reading == readings.end())
        return name + QLatin1Char('-');
    QString text = name + Format::percent(reading->percent);
    if (reading->resetsAt)
        text += QStringLiteral(" \u00B7 ") + Format::countdown(*reading->resetsAt, now);
    return text;
}

// "spend $18.02 of $300.00" for a seat billed by what it spends, "extra usage $15.40 of
// $20.00" where extra usage is on.
QStringList moneyFigures(const Entry& entry) {
    QStringList figures;
    for (const auto& meter : {EntryStatus::spendMeter(entry), EntryStatus::extraUsageMeter(entry)})
        if (meter && !meter->figure().isEmpty())
            figures.append(meter->title.toLower() + QLatin1Char(' ') +
                           PrintableText::escaped(meter->figure()));
    return figures;
}

// Columns line up by characters, not by the code units a QString counts.
qsizetype width(const QString& text) {
    return text.toUcs4().size();
}

QString capped(const QString& cell) {
    const QList<uint> characters = cell.toUcs4();
    if (characters.size() <= widestCell)
        return cell;
    const qsizetype end = (widestCell - 1) / 2;
    QString shortened;
    for (qsizetype index = 0; index < characters.size(); ++index) {
        if (index == widestCell - 1 - end)
            shortened += QChar(0x2026);
        if (index < widestCell - 1 - end || index >= characters.size() - end)
            shortened += QChar::fromUcs4(characters.at(index));
    }
    return shortened;
}

QString joined(const QStringList& cells, const QList<qsizetype>& widths) {
    QString line;
    for (qsizetype column = 0; column < cells.size(); ++column) {
        const bool last = column + 1 == cells.size();
        line += cells.at(column);
        if (!last)
            line +=
                QString(widths.at(column) - width(cells.at(column)), QLatin1Char(' ')) + columnGap;
    }
    return line;
}

} // namespace

namespace StatusTable {

QString verdictWords(const AccountStatus& status) {
    QString words = status.text;
    if (status.level != AccountStatus::Level::partial && !words.isEmpty())
        words[0] = words.at(0).toLower();
    return words;
}

QString noAccounts() {
    return QStringLiteral("No Claude Code account is tracked on this computer.");
}

QStringList cells(const Entry& entry, Instant now) {
    const QList<LimitReading> readings = EntryStatus::currentLimits(entry, now);
    QStringList line{PrintableText::escaped(entry.account.email),
                     PrintableText::escaped(verdictWords(EntryStatus::verdict(entry, now))),
                     figure(readings, LimitTitle::session, now),
                     figure(readings, LimitTitle::week, now)};
    for (const QString& amounts : moneyFigures(entry))
        line.append(amounts);
    // Last, so that a line without one ends in no spaces.
    if (entry.problem)
        line.append(PrintableText::escaped(
            EntryStatus::problemText(*entry.problem, entry.snapshot.has_value(), now)));
    for (QString& cell : line)
        cell = capped(cell);
    return line;
}

QString unreadableFolders(const QStringList& names) {
    QString lines;
    for (const QString& name : names)
        lines += QStringLiteral("~/%1 is not read: its name is not valid UTF-8.\n")
                     .arg(capped(PrintableText::escaped(name)));
    return lines;
}

QString text(const QList<Entry>& entries, Instant now) {
    if (entries.isEmpty())
        return noAccounts() + QLatin1Char('\n');
    QList<QStringList> rows;
    for (const Entry& entry : entries)
        rows.append(cells(entry, now));
    QList<qsizetype> widths;
    for (const QStringList& row : std::as_const(rows)) {
        widths.resize(std::max(widths.size(), row.size()));
        for (qsizetype column = 0; column < row.size(); ++column)
            widths[column] = std::max(widths.at(column), width(row.at(column)));
    }
    QString table;
    for (const QStringList& row : std::as_const(rows))
        table += joined(row, widths) + QLatin1Char('\n');
    return table;
}

} // namespace StatusTable
