#include "model/Format.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace {
// Values this large cannot be written as a whole number; no reading or instant comes close.
constexpr double largestWholeNumber = 9.2e18;
constexpr double mostPercent = 999;

// Qt knows a currency's symbols only through the locales that use it; going through all of
// them takes about a tenth of a millisecond.
QString currencySymbol(const QString& code) {
    const QLocale user;
    const QString own = user.currencySymbol(QLocale::CurrencySymbol);
    if (user.currencySymbol(QLocale::CurrencyIsoCode) == code && !own.trimmed().isEmpty())
        return own;
    QHash<QString, int> counts;
    QString common = code;
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                          QLocale::AnyTerritory)) {
        const QString symbol = locale.currencySymbol(QLocale::CurrencySymbol);
        if (locale.currencySymbol(QLocale::CurrencyIsoCode) == code &&
            !symbol.trimmed().isEmpty() && ++counts[symbol] > counts.value(common))
            common = symbol;
    }
    return common;
}

} // namespace

namespace Format {

QString percent(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("—");
    const double rounded = std::round(value);
    // A reading far beyond its limit says no more than one just beyond it, and would not fit.
    if (rounded > mostPercent)
        return QStringLiteral("999+%");
    if (rounded < -mostPercent)
        return QStringLiteral("-999+%");
    return QString::number(static_cast<int>(rounded)) + QLatin1Char('%');
}

QString countdown(Instant to, Instant from) {
    const double difference = to - from;
    // Written this way round so that a NaN difference also reads as "now".
    if (!(difference >= 60))
        return QStringLiteral("now");
    const qint64 seconds = static_cast<qint64>(std::min(difference, largestWholeNumber));
    if (seconds < 3600)
        return QStringLiteral("%1m").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1h %2m").arg(seconds / 3600).arg(seconds / 60 % 60);
    return QStringLiteral("%1d %2h").arg(seconds / 86400).arg(seconds / 3600 % 24);
}

QString clockText(Instant at, Instant now, const Calendar& calendar, const QLocale& locale) {
    // The seconds, with the point or colon before them, are left out of the locale's format;
    // by hand, since the panel shows this all day and the expression library would stay loaded.
    QString format;
    const QString full = locale.timeFormat(QLocale::ShortFormat);
    for (qsizetype index = 0; index < full.size(); ++index) {
        const bool separator = full.at(index) == u'.' || full.at(index) == u':';
        if (separator && index + 1 < full.size() && full.at(index + 1) == u's') {
            while (index + 1 < full.size() && full.at(index + 1) == u's')
                ++index;
            continue;
        }
        format.append(full.at(index));
    }
    const QDateTime moment = calendar.dateTime(at);
    const QString clock = locale.toString(moment.time(), format);
    if (calendar.isSameDay(at, now))
        return clock;
    return locale.toString(moment.date(), QStringLiteral("ddd")) + QLatin1Char(' ') + clock;
}

QString money(const Money& amount) {
    const double value = amount.value();
    const QString digits = QString::number(std::abs(value), 'f', amount.decimalPlaces);
    const QString sign = value < 0 ? QStringLiteral("-") : QString();
    if (!amount.currency || amount.currency->isEmpty())
        return sign + digits;
    const QString symbol = currencySymbol(*amount.currency);
    // A symbol that ends in a letter ("CHF", or the code itself) reads as a word of its own.
    const bool isWord = symbol.back().isLetter();
    return sign + symbol + (isWord ? QStringLiteral(" ") : QString()) + digits;
}

QString moneyUse(const MoneyUse& use) {
    if (use.used && use.limit)
        return money(*use.used) + QStringLiteral(" of ") + money(*use.limit);
    if (use.used)
        return money(*use.used);
    return use.limit ? QStringLiteral("limit ") + money(*use.limit) : QString();
}

} // namespace Format
