#include "commandline/Arguments.h"

#include <QTest>

class ArgumentsTest : public QObject {
    Q_OBJECT

private slots:
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

QTEST_GUILESS_MAIN(ArgumentsTest)
#include "ArgumentsTest.moc"
