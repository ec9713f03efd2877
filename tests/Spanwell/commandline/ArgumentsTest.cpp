#include "commandline/Arguments.h"

#include <QTest>

class ArgumentsTest : public QObject {
    Q_OBJECT

private slots:
    // The modes read the list as the program was started, whatever is captured later.
    void theProcessListIsReadOnce() {
        const char* first[] = {"/bin/spanwell", "--open", "Grüße"};
        const char* second[] = {"/bin/other", "--dark"};
        Arguments::capture(3, first);
        Arguments::capture(2, second);
        QCOMPARE(Arguments::list(), QStringList({"/bin/spanwell", "--open", "Grüße"}));
        QCOMPARE(Arguments::value(QStringLiteral("--open")), QStringLiteral("Grüße"));
    }
};

QTEST_GUILESS_MAIN(ArgumentsTest)
#include "ArgumentsTest.moc"
