#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// An amount of money as the usage service writes it: a count of the currency's minor units and
// the number of decimal places they take (cents: 2).
struct Money {
    // Decimal places the program takes; a larger count is not a currency's.
    static constexpr int mostDecimalPlaces = 9;

    double minorUnits = 0;
    // The ISO 4217 code, such as "USD"; absent when the service named none.
    std::optional<QString> currency;
    int decimalPlaces = 2;

    // In the currency's major unit: 1540 cents give 15.4.
    double value() const;

    std::optional<QJsonObject> toJson() const;
    static std::optional<Money> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const Money&) const = default;
};

// Money used against a limit, with the share the service reported.
struct MoneyUse {
    std::optional<Money> used;
    std::optional<Money> limit;
    std::optional<double> reportedPercent;

    // From the two amounts when both are known and the limit is above zero, else as reported.
    std::optional<double> percent() const;
    // What is left of the limit, never below nothing; absent without both amounts.
    std::optional<Money> left() const;

    bool operator==(const MoneyUse&) const = default;
};
