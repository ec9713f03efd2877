#include "pictures/PanelPicture.h"
#include "store/Demo.h"
#include "store/SnapshotCache.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"
#include "views/PanelView.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>

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

    // Drawn in bands, as the file is written, every row open, the panel is the same picture as
    // drawn whole with everything outside its outline cleared: each band where it belongs, and
    // its corners cleared where the outline bends and nowhere else.
    void bandsMakeTheWholePicture_data() {
        QTest::addColumn<int>("bandRows");
        QTest::newRow("as the file is written") << 96;
        QTest::newRow("a point high") << 2;
    }

    void bandsMakeTheWholePicture() {
        QFETCH(int, bandRows);
        const Instant now = Instant::now();
        const std::unique_ptr<Store> store = Demo::store(Demo::accounts(now));
        PanelView::Options options;
        options.expandAll = true;
        options.renderingPicture = true;
        PanelView view(*store, now, options, PanelServices{});
        QImage whole = PanelPicture::canvas(view);
        QImage transparent(whole.size(), whole.format());
        transparent.setDevicePixelRatio(whole.devicePixelRatio());
        transparent.fill(Qt::transparent);
        QCOMPARE(whole, transparent);
        QImage banded = whole.copy();
        view.render(&whole);
        QPainter painter(&whole);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillPath(PanelPicture::outside(view.size()), Qt::black);
        painter.end();
        for (int top = 0; top < banded.height(); top += bandRows)
            PanelPicture::drawBand(
                view, banded,
                QRect(0, top, banded.width(), std::min(bandRows, banded.height() - top)));
        QCOMPARE(banded, whole);
        QCOMPARE(whole.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(whole.pixelColor(0, whole.height() - 1).alpha(), 0);
    }

    // With every row closed, the panel shows nothing of the accounts' weeks, which the picture
    // then leaves out.
    void closedRowsShowNoWeek() {
        const Instant now = Instant::now();
        PanelView::Options options;
        options.renderingPicture = true;
        QList<QImage> pictures;
        for (const Demo::Weeks weeks : {Demo::Weeks::made, Demo::Weeks::leftOut}) {
            const std::unique_ptr<Store> store =
                Demo::store(Demo::accounts(now, QDir::homePath(), Calendar::current(), weeks));
            QCOMPARE(store->recentUse().isEmpty(), weeks == Demo::Weeks::leftOut);
            PanelView view(*store, now, options, PanelServices{});
            QImage picture = PanelPicture::canvas(view);
            PanelPicture::drawBand(view, picture, picture.rect());
            pictures.append(picture);
        }
        QCOMPARE(pictures.at(1), pictures.at(0));
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
