#include "views/StatusMark.h"
#include "Spanwell/views/Pictures.h"
#include "views/Symbols.h"

#include <QTest>

using Level = AccountStatus::Level;

class StatusMarkTest : public QObject {
    Q_OBJECT

private slots:
    void eachLevelHasItsSymbolAndColour_data() {
        QTest::addColumn<Level>("level");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<Theme::Role>("colour");
        QTest::newRow("ready") << Level::ready << "circle.fill" << Theme::Role::green;
        QTest::newRow("partial") << Level::partial << "circle.lefthalf.filled" << Theme::Role::red;
        QTest::newRow("blocked") << Level::blocked << "circle.fill" << Theme::Role::red;
        QTest::newRow("unknown") << Level::unknown << "circle" << Theme::Role::secondaryText;
    }
    void eachLevelHasItsSymbolAndColour() {
        QFETCH(Level, level);
        QFETCH(QString, symbol);
        QFETCH(Theme::Role, colour);
        const Theme theme = Theme::dark();
        QWidget window;
        auto* mark = new StatusMark(level, &window);
        // The theme is applied after the mark is built, as a picture of a finished view does.
        window.setPalette(theme.palette());

        QCOMPARE(mark->level(), level);
        QCOMPARE(mark->sizeHint(), QSize(10, 9));
        const QImage expected = Pictures::painted(QSize(10, 9), [&](QPainter& painter) {
            Symbols::paint(painter, symbol, QRectF(0.5, 0, 9, 9), theme.colour(colour));
        });
        QCOMPARE(Pictures::of(*mark), expected);
    }
};

QTEST_MAIN(StatusMarkTest)
#include "StatusMarkTest.moc"
