#include "views/LinkButton.h"
#include "Spanwell/views/Pictures.h"
#include "views/Theme.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

// The most opaque pixel drawn: the inside of a letter stroke.
QColor strongestInk(const QImage& image) {
    QColor strongest(0, 0, 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > strongest.alpha())
                strongest = image.pixelColor(x, y);
    return strongest;
}

} // namespace

class LinkButtonTest : public QObject {
    Q_OBJECT

private slots:
    void clicksByMouseOrKeyOnlyWhileEnabled() {
        QWidget window;
        auto* field = new QLineEdit(&window);
        auto* button = new LinkButton(QStringLiteral("Track Again"), 11, &window);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCOMPARE(clicked.count(), 1);
        // Reachable with Tab, as a link without a frame might not be.
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        QTest::keyClick(button, Qt::Key_Space);
        QCOMPARE(clicked.count(), 2);
        button->setEnabled(false);
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        QCOMPARE(clicked.count(), 2);
    }

    // In the dark palette a picture forces on the top-level after the button is built.
    void looksLikeALink() {
        const Theme theme = Theme::dark();
        QWidget window;
        auto* button = new LinkButton(QStringLiteral("Stop Tracking"), 11, &window);
        window.setPalette(theme.palette());

        QCOMPARE(button->font().pixelSize(), 11);
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(button->sizeHint().width(),
                 QFontMetrics(button->font()).horizontalAdvance(button->text()));

        const QImage image = Pictures::of(*button);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0);
        const QColor ink = strongestInk(image);
        QVERIFY(ink.alpha() > 200);
        QVERIFY(Pictures::near(QColor(ink.red(), ink.green(), ink.blue()), theme.accent, 8));

        button->setEnabled(false);
        QVERIFY(strongestInk(Pictures::of(*button)).alpha() < 128);
    }
};

QTEST_MAIN(LinkButtonTest)
#include "LinkButtonTest.moc"
