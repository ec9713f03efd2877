#include "model/PlanLabel.h"

#include <QTest>

using Text = std::optional<QString>;
Q_DECLARE_METATYPE(Text)

namespace {
Text text(const char* value) {
    return QString::fromUtf8(value);
}
const Text none = std::nullopt;
} // namespace

class PlanLabelTest : public QObject {
    Q_OBJECT

private slots:
    void planIsNamed_data() {
        QTest::addColumn<Text>("type");
        QTest::addColumn<Text>("tier");
        QTest::addColumn<Text>("displayName");
        QTest::addColumn<Text>("label");
        QTest::newRow("max 20x is ultra")
            << text("max") << text("default_claude_max_20x") << none << text("Ultra");
        QTest::newRow("max 5x") << text("max") << text("default_claude_max_5x") << none
                                << text("Max");
        QTest::newRow("pro") << text("pro") << none << none << text("Pro");
        QTest::newRow("multiplier alone") << none << text("tier_20x") << none << text("20x");
        QTest::newRow("nothing") << none << none << none << none;
        QTest::newRow("display name with multiplier")
            << none << text("tier_5x") << text("Team") << text("Team 5x");
        QTest::newRow("display name wins")
            << text("pro") << none << text("Enterprise") << text("Enterprise");
        QTest::newRow("capital MAX") << none << none << text("MAX") << text("Max");
        QTest::newRow("ultra ignores multiplier")
            << none << text("x_5x") << text("uLtRa") << text("Ultra");
        QTest::newRow("x alone") << text("team") << text("tier_x") << none << text("Team");
        QTest::newRow("capital X") << text("team") << text("tier_20X") << none << text("Team");
        QTest::newRow("trailing underscore")
            << text("team") << text("tier_5x_") << none << text("Team 5x");
        QTest::newRow("signed multiplier") << none << text("tier_+5x") << none << text("+5x");
        QTest::newRow("too large") << none << text("tier_99999999999999999999x") << none << none;
        QTest::newRow("only underscores") << none << text("___") << none << none;
        QTest::newRow("empty display name") << text("pro") << none << text("") << text("");
        QTest::newRow("rest kept") << text("maX team") << none << none << text("MaX team");
    }
    void planIsNamed() {
        QFETCH(Text, type);
        QFETCH(Text, tier);
        QFETCH(Text, displayName);
        QFETCH(Text, label);
        QCOMPARE(PlanLabel::make(type, tier, displayName), label);
    }
};

QTEST_GUILESS_MAIN(PlanLabelTest)
#include "PlanLabelTest.moc"
