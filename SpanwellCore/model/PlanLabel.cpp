#include "model/PlanLabel.h"

#include "model/DecimalInteger.h"

#include <QStringList>

namespace {

std::optional<QString> baseName(const std::optional<QString>& subscriptionType,
                                const std::optional<QString>& displayName) {
    if (displayName)
        return displayName;
    if (!subscriptionType)
        return std::nullopt;
    const QString& type = *subscriptionType;
    if (type.isEmpty())
        return type;
    const qsizetype firstLength = type.at(0).isHighSurrogate() && type.size() > 1 ? 2 : 1;
    return type.left(firstLength).toUpper() + type.mid(firstLength);
}

std::optional<QString> multiplier(const std::optional<QString>& rateLimitTier) {
    if (!rateLimitTier)
        return std::nullopt;
    const QStringList pieces = rateLimitTier->split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;
    const QString& last = pieces.last();
    if (!last.endsWith(QLatin1Char('x')) || !DecimalInteger::parse(last.chopped(1)))
        return std::nullopt;
    return last;
}

} // namespace

namespace PlanLabel {

std::optional<QString> make(const std::optional<QString>& subscriptionType,
                            const std::optional<QString>& rateLimitTier,
                            const std::optional<QString>& displayName) {
    const std::optional<QString> base = baseName(subscriptionType, displayName);
    const std::optional<QString> times = multiplier(rateLimitTier);
    if (!base)
        return times;
    const QString folded = base->toLower();
    if (folded == QLatin1String("ultra"))
        return QStringLiteral("Ultra");
    if (folded == QLatin1String("max"))
        return times == QLatin1String("20x") ? QStringLiteral("Ultra") : QStringLiteral("Max");
    if (times)
        return *base + QLatin1Char(' ') + *times;
    return base;
}

} // namespace PlanLabel
