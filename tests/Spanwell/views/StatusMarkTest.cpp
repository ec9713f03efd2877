#include "views/StatusMark.h"
#include "Spanwell/views/Pictures.h"

#include <QTest>

using Level = AccountStatus::Level;

class StatusMarkTest : public QObject {
    Q_OBJECT

private slots:
    // Each verdict can be told from every other at a glance, by shape or by colour, in the
    // dark palette a picture sets after the marks are built.
    void everyLevelLooksItsOwn() {
        QWidget window;
        QList<StatusMark*> marks;
        for (const Level level : {Level::ready, Level::partial, Level::blocked, Level::unknown})
            marks.append(new StatusMark(level, &window));
        window.setPalette(Theme::dark().palette());
        QList<QImage> pictures;
        for (StatusMark* mark : marks) {
            pictures.append(Pictures::of(*mark));
            QVERIFY(!Pictures::ink(pictures.last()).isNull());
        }
        for (qsizetype first = 0; first < pictures.size(); ++first)
            for (qsizetype second = first + 1; second < pictures.size(); ++second)
                QVERIFY(pictures[first] != pictures[second]);
    }
};

QTEST_MAIN(StatusMarkTest)
#include "StatusMarkTest.moc"
