#include "entry/Arguments.h"
#include "support/TestRegistry.h"

#include <QTest>

class ArgumentsTest : public QObject {
    Q_OBJECT

private slots:
    void value_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("after");
        QTest::addColumn<std::optional<QString>>("value");

        QTest::newRow("the next argument")
            << QStringList({"/bin/spanwell", "--icon", "icons"}) << "--icon"
            << std::optional<QString>(QStringLiteral("icons"));
        QTest::newRow("after the first equal argument")
            << QStringList({"/bin/spanwell", "--open", "1", "--open", "2"}) << "--open"
            << std::optional<QString>(QStringLiteral("1"));
        QTest::newRow("the last argument has none")
            << QStringList({"/bin/spanwell", "--icon"}) << "--icon" << std::optional<QString>();
        QTest::newRow("case counts") << QStringList({"/bin/spanwell", "--Icon", "icons"})
                                     << "--icon" << std::optional<QString>();
    }

    void value() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, after);
        QFETCH(std::optional<QString>, value);
        QCOMPARE(Arguments::value(arguments, after), value);
    }

    void theProcessListIsReadOnce() {
        const char* first[] = {"/bin/spanwell", "--open", "2", "--expand-all", "Grüße"};
        const char* second[] = {"/bin/other", "--dark"};
        Arguments::capture(5, first);
        Arguments::capture(2, second);

        QCOMPARE(Arguments::list(),
                 QStringList({"/bin/spanwell", "--open", "2", "--expand-all", "Grüße"}));
        QCOMPARE(Arguments::value(QStringLiteral("--open")), QStringLiteral("2"));
        QCOMPARE(Arguments::value(QStringLiteral("--dark")), std::nullopt);
        QVERIFY(Arguments::isPresent(QStringLiteral("--expand-all")));
        QVERIFY(!Arguments::isPresent(QStringLiteral("--dark")));
    }
};

SPANWELL_TEST(ArgumentsTest)
#include "ArgumentsTest.moc"
