#include "commandline/StatusTable.h"

#include "model/Format.h"
#include "model/PrintableText.h"
#include "store/EntryStatus.h"

#include <algorithm>
#include <limits>

namespace {

const QString columnGap = QStringLiteral("  ");
// The widest a cell is printed; a longer one (an e-mail address of any length) keeps its two
// ends, as the panel shortens it.
constexpr qsizetype widestCell = 60;
// On a terminal too narrow for the table, what goes under an account's line is indented by
// this, and an e-mail keeps at least this many characters before its figures move down.
constexpr qsizetype indent = 2;
constexpr qsizetype shortestEmail = 16;
// A figure that has reached this share stands out in yellow, one used up in red.
constexpr double warningPercent = 80;

enum class Tint { none, green, yellow, red };

struct Cell {
    QString text;
    Tint tint = Tint::none;
};

// One account: e-mail, verdict, session and week; then the money figures and the problem,
// which go under the line where the terminal is too narrow for them beside it.
struct Row {
    QList<Cell> main;
    QList<Cell> extras;
};

Tint usageTint(double percent) {
    if (percent >= usedUpPercent)
        return Tint::red;
    return percent >= warningPercent ? Tint::yellow : Tint::none;
}

Tint verdictTint(AccountStatus::Level level) {
    switch (level) {
    case AccountStatus::Level::ready:
        return Tint::green;
    case AccountStatus::Level::partial:
        return Tint::yellow;
    case AccountStatus::Level::blocked:
        return Tint::red;
    case AccountStatus::Level::unknown:
        break;
    }
    return Tint::none;
}

// "session 42% · 1h 51m": the limit's name, its use and, when it has one, its reset countdown;
// "session -" when there is no such limit.
Cell figure(const QList<LimitReading>& readings, QLatin1String title, Instant now) {
    const QString name = QString(title).toLower() + QLatin1Char(' ');
    const auto reading = std::find_if(readings.begin(), readings.end(),
                                      [title](const LimitReading& r) { return r.title == title; });
    if (reading == readings.end())
        return {name + QLatin1Char('-')};
    QString text = name + Format::percent(reading->percent);
    if (reading->resetsAt)
        text += QStringLiteral(" \u00B7 ") + Format::countdown(*reading->resetsAt, now);
    return {text, usageTint(reading->percent)};
}

// Columns line up by characters, not by the code units a QString counts.
qsizetype width(const QString& text) {
    return text.toUcs4().size();
}

// The text in at most `most` characters: a longer one keeps its two ends around an ellipsis.
QString shortened(const QString& text, qsizetype most) {
    const QList<uint> characters = text.toUcs4();
    if (characters.size() <= most)
        return text;
    const qsizetype end = (most - 1) / 2;
    QString kept;
    for (qsizetype index = 0; index < characters.size(); ++index) {
        if (index == most - 1 - end)
            kept += QChar(0x2026);
        if (index < most - 1 - end || index >= characters.size() - end)
            kept += QChar::fromUcs4(characters.at(index));
    }
    return kept;
}

Row row(const Entry& entry, Instant now) {
    const QList<LimitReading> readings = EntryStatus::currentLimits(entry, now);
    const AccountStatus verdict = EntryStatus::verdict(entry, now);
    Row line{
        {{PrintableText::escaped(entry.account.email)},
         {PrintableText::escaped(StatusTable::verdictWords(verdict)), verdictTint(verdict.level)},
         figure(readings, LimitTitle::session, now),
         figure(readings, LimitTitle::week, now)},
        {}};
    // "spend $18.02 of $300.00" for a seat billed by what it spends, "extra usage $15.40 of
    // $20.00" where extra usage is on.
    for (const auto& meter : {EntryStatus::spendMeter(entry), EntryStatus::extraUsageMeter(entry)})
        if (meter && !meter->figure().isEmpty())
            line.extras.append({meter->title.toLower() + QLatin1Char(' ') +
                                    PrintableText::escaped(meter->figure()),
                                usageTint(meter->percent())});
    // Last, so that a line without one ends in no spaces.
    if (entry.problem)
        line.extras.append({PrintableText::escaped(
            EntryStatus::problemText(*entry.problem, entry.snapshot.has_value(), now))});
    for (QList<Cell>* cells : {&line.main, &line.extras})
        for (Cell& cell : *cells)
            cell.text = shortened(cell.text, widestCell);
    return line;
}

QString tinted(const Cell& cell, bool colour) {
    static const char* const codes[] = {"", "\x1b[32m", "\x1b[33m", "\x1b[31m"};
    if (!colour || cell.tint == Tint::none)
        return cell.text;
    return QLatin1String(codes[int(cell.tint)]) + cell.text + QLatin1String("\x1b[0m");
}

QList<qsizetype> widthsOf(const QList<QList<Cell>>& lines) {
    QList<qsizetype> widths;
    for (const QList<Cell>& line : lines) {
        widths.resize(std::max(widths.size(), line.size()));
        for (qsizetype column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths.at(column), width(line.at(column).text));
    }
    return widths;
}

// The widest line the cells make in columns of `widths`.
qsizetype widest(const QList<QList<Cell>>& lines, const QList<qsizetype>& widths) {
    qsizetype most = 0;
    for (const QList<Cell>& line : lines) {
        qsizetype length = 0;
        for (qsizetype column = 0; column < line.size(); ++column)
            length += (column + 1 == line.size() ? width(line.at(column).text)
                                                 : widths.at(column) + columnGap.size());
        most = std::max(most, length);
    }
    return most;
}

QString joined(const QList<Cell>& cells, const QList<qsizetype>& widths, bool colour) {
    QString line;
    for (qsizetype column = 0; column < cells.size(); ++column) {
        line += tinted(cells.at(column), colour);
        if (column + 1 < cells.size())
            line += QString(widths.at(column) - width(cells.at(column).text), QLatin1Char(' ')) +
                    columnGap;
    }
    return line + QLatin1Char('\n');
}

// The text in lines of at most `most` characters, broken between words where it can be.
QStringList wrapped(const QString& text, qsizetype most) {
    most = std::max<qsizetype>(most, 1);
    QStringList lines;
    QString line;
    for (QString word : text.split(QLatin1Char(' '))) {
        if (!line.isEmpty() && width(line) + 1 + width(word) <= most) {
            line += QLatin1Char(' ') + word;
            continue;
        }
        if (!line.isEmpty())
            lines.append(line);
        while (width(word) > most) {
            const QList<uint> characters = word.toUcs4();
            const auto* first = reinterpret_cast<const char32_t*>(characters.constData());
            lines.append(QString::fromUcs4(first, most));
            word = QString::fromUcs4(first + most, characters.size() - most);
        }
        line = word;
    }
    lines.append(line);
    return lines;
}

QString under(const Cell& cell, qsizetype lineWidth, bool colour) {
    QString lines;
    for (const QString& part : wrapped(cell.text, lineWidth - indent))
        lines += QString(indent, QLatin1Char(' ')) + tinted({part, cell.tint}, colour) +
                 QLatin1Char('\n');
    return lines;
}

QList<Cell> withExtras(const Row& line) {
    return line.main + line.extras;
}

// The rows in the terminal's width: the whole table when it fits; else the money and the
// problem under each line; else the e-mails shortened; else the figures on a line of their own.
QString fitted(const QList<Row>& rows, qsizetype lineWidth, bool colour) {
    QList<QList<Cell>> whole;
    QList<QList<Cell>> main;
    for (const Row& line : rows) {
        whole.append(withExtras(line));
        main.append(line.main);
    }
    if (const QList<qsizetype> widths = widthsOf(whole); widest(whole, widths) <= lineWidth) {
        QString table;
        for (const QList<Cell>& line : std::as_const(whole))
            table += joined(line, widths, colour);
        return table;
    }
    QList<qsizetype> widths = widthsOf(main);
    const auto roomForEmail = [&] { return lineWidth - (widest(main, widths) - widths.first()); };
    const bool oneLine = roomForEmail() >= std::min(widths.first(), shortestEmail);
    if (!oneLine) {
        // The e-mail and the verdict on the first line, the figures under them.
        for (QList<Cell>& line : main)
            line = line.first(2);
        widths = widthsOf(main);
    }
    const qsizetype emailWidth = std::min(widths.first(), std::max<qsizetype>(roomForEmail(), 1));
    widths.first() = emailWidth;
    QList<QList<Cell>> figures;
    for (const Row& line : rows)
        figures.append(line.main.mid(2));
    const QList<qsizetype> figureWidths = widthsOf(figures);
    QString table;
    for (qsizetype index = 0; index < rows.size(); ++index) {
        QList<Cell> first = main.at(index);
        first.first().text = shortened(first.first().text, emailWidth);
        table += joined(first, widths, colour);
        if (!oneLine)
            table +=
                QString(indent, QLatin1Char(' ')) + joined(figures.at(index), figureWidths, colour);
        for (const Cell& extra : rows.at(index).extras)
            table += under(extra, lineWidth, colour);
    }
    return table;
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
    QStringList texts;
    for (const Cell& cell : withExtras(row(entry, now)))
        texts.append(cell.text);
    return texts;
}

QString unreadableFolders(const QStringList& names) {
    QString lines;
    for (const QString& name : names)
        lines += QStringLiteral("~/%1 is not read: its name is not valid UTF-8.\n")
                     .arg(shortened(PrintableText::escaped(name), widestCell));
    return lines;
}

QString text(const QList<Entry>& entries, Instant now, const TableStyle& style) {
    if (entries.isEmpty())
        return noAccounts() + QLatin1Char('\n');
    QList<Row> rows;
    for (const Entry& entry : entries)
        rows.append(row(entry, now));
    return fitted(rows, style.width.value_or(std::numeric_limits<int>::max()), style.colour);
}

} // namespace StatusTable
