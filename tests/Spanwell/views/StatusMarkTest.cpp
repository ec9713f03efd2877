#include "views/StatusMark.h"
#include "Spanwell/views/Pictures.h"
#include "support/TestRegistry.h"
#include "views/Symbols.h"

#include <QTest>

using Level = AccountStatus::Level;

class StatusMarkTest : public QObject {
    Q_OBJECT

private slots:
    void eachLevelHasItsSymbolAndColour_data() {
        QTest::addColumn<Level>("level");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<Theme::Role>("colour");
        for (const bool dark : {false, true}) {
            const char* look = dark ? " dark" : " light";
            QTest::addRow("ready%s", look)
                << Level::ready << dark << "circle.fill" << Theme::Role::green;
            QTest::addRow("partial%s", look)
                << Level::partial << dark << "circle.lefthalf.filled" << Theme::Role::red;
            QTest::addRow("blocked%s", look)
                << Level::blocked << dark << "circle.fill" << Theme::Role::red;
            QTest::addRow("unknown%s", look)
                << Level::unknown << dark << "circle" << Theme::Role::secondaryText;
        }
    }
    void eachLevelHasItsSymbolAndColour() {
        QFETCH(Level, level);
        QFETCH(bool, dark);
        QFETCH(QString, symbol);
        QFETCH(Theme::Role, colour);
        const Theme theme = dark ? Theme::dark() : Theme::light();
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

SPANWELL_TEST(StatusMarkTest)
#include "StatusMarkTest.moc"
