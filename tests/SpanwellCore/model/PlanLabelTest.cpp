#include "model/PlanLabel.h"

#include <QTest>

#include <array>

namespace {
std::optional<QString> text(const char* value) {
    return value ? std::optional(QString::fromUtf8(value)) : std::nullopt;
}
} // namespace

class PlanLabelTest : public QObject {
    Q_OBJECT

private slots:
    // Subscription type, rate-limit tier, display name, and the label; null stands for absent.
    void planIsNamed() {
        const std::array<const char*, 4> rows[] = {
            {"max", "default_claude_max_20x", nullptr, "Ultra"},
            {"max", "default_claude_max_5x", nullptr, "Max"},
            {"pro", nullptr, nullptr, "Pro"},
            {nullptr, "tier_20x", nullptr, "20x"},
            {nullptr, nullptr, nullptr, nullptr},
            {nullptr, "tier_5x", "Team", "Team 5x"},
            {"pro", nullptr, "Enterprise", "Enterprise"},
            {nullptr, nullptr, "MAX", "Max"},
            {nullptr, "x_5x", "uLtRa", "Ultra"},
            {"team", "tier_x", nullptr, "Team"},
            {"team", "tier_20X", nullptr, "Team"},
            {"team", "tier_5x_", nullptr, "Team 5x"},
            {nullptr, "tier_+5x", nullptr, "+5x"},
            {nullptr, "tier_99999999999999999999x", nullptr, nullptr},
            {nullptr, "___", nullptr, nullptr},
            {"pro", nullptr, "", ""},
            {"maX team", nullptr, nullptr, "MaX team"}};
        for (const auto& [type, tier, displayName, label] : rows)
            QCOMPARE(PlanLabel::make(text(type), text(tier), text(displayName)), text(label));
    }
};

QTEST_GUILESS_MAIN(PlanLabelTest)
#include "PlanLabelTest.moc"
