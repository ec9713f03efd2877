#include "pictures/PanelPicture.h"
#include "store/SnapshotCache.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"

#include <QImage>
#include <QTest>

using Row = std::optional<qsizetype>;

class PanelPictureTest : public QObject {
    Q_OBJECT

private slots:
    // A row outside the list opens none, rather than reading past it.
    void openedRowLiesInTheList() {
        QCOMPARE(PanelPicture::openedRow(QStringLiteral("2"), 3), Row(2));
        QCOMPARE(PanelPicture::openedRow(QStringLiteral("3"), 3), Row());
        QCOMPARE(PanelPicture::openedRow(QStringLiteral("-1"), 3), Row());
    }

    // The executable, without a display and without the demo store, waits for one real
    // refresh, which writes the cache.
    void refreshesTheAccountsOnceFirst() {
        ServedHome served;
        const QString account =
            served.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"), 37, 5);
        const QString path = served.home.pathOf(QStringLiteral("panel.png"));
        const auto finished =
            SpanwellProcess::run({QStringLiteral("--snapshot"), path}, served.environment());
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output + finished.errors, QByteArray());
        QVERIFY(!QImage(path).isNull());
        QCOMPARE(SnapshotCache::read(served.cachePath())
                     .value(account)
                     .snapshot.value_or(Snapshot{})
                     .limits.value(0)
                     .percent,
                 37.0);
    }
};

QTEST_MAIN(PanelPictureTest)
#include "PanelPictureTest.moc"
