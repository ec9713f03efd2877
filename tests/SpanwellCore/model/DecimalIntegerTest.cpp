#include "model/DecimalInteger.h"
#include "support/TestRegistry.h"

#include <QTest>

using Number = std::optional<qint64>;
Q_DECLARE_METATYPE(Number)

class DecimalIntegerTest : public QObject {
    Q_OBJECT

private slots:
    void onlyPlainDecimalsAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Number>("number");
        QTest::newRow("digits") << "12" << Number(12);
        QTest::newRow("plus") << "+1" << Number(1);
        QTest::newRow("minus") << "-1" << Number(-1);
        QTest::newRow("leading zeros") << "007" << Number(7);
        QTest::newRow("largest") << "9223372036854775807" << Number(9223372036854775807);
        QTest::newRow("too large") << "9223372036854775808" << Number();
        QTest::newRow("fraction") << "1.2" << Number();
        QTest::newRow("empty") << "" << Number();
        QTest::newRow("sign alone") << "-" << Number();
        QTest::newRow("spaces") << " 1" << Number();
        QTest::newRow("two signs") << "+-1" << Number();
        QTest::newRow("other digits") << "١٢" << Number();
        QTest::newRow("word") << "x" << Number();
    }
    void onlyPlainDecimalsAreRead() {
        QFETCH(QString, text);
        QFETCH(Number, number);
        QCOMPARE(DecimalInteger::parse(text), number);
    }
};

SPANWELL_TEST(DecimalIntegerTest)
#include "DecimalIntegerTest.moc"
