#include "views/AccountRow.h"
#include "views/Bar.h"
#include "views/DetailRow.h"
#include "views/InlineMeter.h"
#include "views/MeterGrid.h"
#include "views/StatusMark.h"
#include "views/TextLabel.h"

#include <QAbstractButton>
#include <QGraphicsOpacityEffect>
#include <QTest>

using Level = AccountStatus::Level;

namespace {

const Instant now(800000000);

LimitReading reading(const char* title, double percent, double resetIn = 3600) {
    return LimitReading{QString::fromUtf8(title), percent, now + resetIn};
}

Entry entry(QList<LimitReading> limits, std::optional<FetchProblem> problem = std::nullopt) {
    const Account account{
        QStringLiteral("/srv/.claude-work"), {}, QStringLiteral("w@example.com"), {}, {}};
    return Entry{account, Snapshot{std::move(limits), QStringLiteral("Max"), {}, {}, now},
                 std::move(problem)};
}

template <typename View = TextLabel>
View* child(const QWidget& row, const char* name) {
    return row.findChild<View*>(QString::fromUtf8(name));
}

} // namespace

class AccountRowTest : public QObject {
    Q_OBJECT

private slots:
    void showsEachProblem_data() {
        QTest::addColumn<std::optional<FetchProblem>>("problem");
        QTest::addColumn<bool>("withSnapshot");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<Level>("level");
        QTest::addColumn<QString>("message");
        // Red messages are the ones that offer to sign in again.
        QTest::addColumn<Theme::Role>("messageColour");
        using Problem = std::optional<FetchProblem>;
        const auto red = Theme::Role::red;
        QTest::newRow("none") << Problem() << true << "Ready" << Level::ready << QString()
                              << Theme::Role::secondaryText;
        QTest::newRow("no credential")
            << Problem(FetchProblem::noCredential()) << true << "Sign in again" << Level::blocked
            << "No saved sign-in for this folder." << red;
        QTest::newRow("lapsed, no numbers")
            << Problem(FetchProblem::signInExpired()) << false << "Sign in again" << Level::blocked
            << "Sign-in lapsed." << red;
        QTest::newRow("lapsed, last numbers")
            << Problem(FetchProblem::signInExpired()) << true << "Sign in again" << Level::blocked
            << "Sign-in lapsed. Showing the last known numbers." << red;
        QTest::newRow("failed: verdict from the numbers")
            << Problem(FetchProblem::failed(QStringLiteral("Anthropic returned error 500.")))
            << true << "Back in 1h 0m" << Level::blocked << "Anthropic returned error 500."
            << Theme::Role::secondaryText;
    }
    void showsEachProblem() {
        QFETCH(std::optional<FetchProblem>, problem);
        QFETCH(bool, withSnapshot);
        QFETCH(QString, verdict);
        QFETCH(Level, level);
        QFETCH(QString, message);
        QFETCH(Theme::Role, messageColour);
        const bool failed = problem && !problem->needsSignIn();
        Entry shown = entry({reading("Session", failed ? 100 : 20), reading("Week", 30)}, problem);
        if (!withSnapshot)
            shown.snapshot.reset();
        int signIns = 0;
        AccountRow row(shown, now, false, {{}, {}, [&signIns] { ++signIns; }});

        QCOMPARE(child(row, "status")->text(), verdict);
        QCOMPARE(child(row, "status")->colour(),
                 level == Level::ready ? Theme::Role::primaryText : Theme::Role::red);
        QCOMPARE(row.findChild<StatusMark*>()->level(), level);
        const TextLabel* sentence = child(row, "message");
        QCOMPARE(sentence ? sentence->text() : QString(), message);
        QCOMPARE(sentence ? sentence->colour() : Theme::Role::secondaryText, messageColour);
        // Figures that may be stale are faded.
        const QWidget* meters = child<QWidget>(row, "meters");
        QCOMPARE(meters != nullptr, withSnapshot);
        const auto* fade =
            meters ? qobject_cast<QGraphicsOpacityEffect*>(meters->graphicsEffect()) : nullptr;
        QCOMPARE(fade ? fade->opacity() : 1.0, problem && withSnapshot ? 0.5 : 1.0);
        auto* signIn = child<QAbstractButton>(row, "signInAgain");
        QCOMPARE(signIn != nullptr, messageColour == Theme::Role::red);
        if (signIn) {
            QCOMPARE(signIn->text(), QStringLiteral("Sign In Again\u2026"));
            signIn->click();
            QCOMPARE(signIns, 1);
        }
    }

    void metersNeverCutTheirTexts_data() {
        QTest::addColumn<int>("readings");
        for (int count = 1; count <= 6; ++count)
            QTest::addRow("%d", count) << count;
    }
    void metersNeverCutTheirTexts() {
        QFETCH(int, readings);
        // Red from 90% on: 90 and 250 are red, 89.9 and 10 are not.
        const QList<LimitReading> all{reading("Session", 90),         reading("Week", 89.9),
                                      reading("Week, Opus", 250),     reading("Week, Sonnet", 10),
                                      reading("Daily Routines", 100), reading("Week, Fable", 5)};
        AccountRow row(entry(all.first(readings)), now, false, {});
        row.resize(384, row.heightForWidth(384));
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));

        const QList<InlineMeter*> meters = row.findChildren<InlineMeter*>();
        QCOMPARE(meters.size(), readings);
        QRegion taken;
        for (int index = 0; index < readings; ++index) {
            const InlineMeter* meter = meters[index];
            for (const TextLabel* text : {meter->title(), meter->number()})
                QVERIFY2(text->width() >= text->fontMetrics().horizontalAdvance(text->text()),
                         qPrintable(text->text()));
            // One length for every bar, and a bar, not a dot.
            QCOMPARE(meter->bar()->width(), meters.first()->bar()->width());
            QVERIFY(meter->bar()->width() >= MeterGrid::shortestTrack * Bar::thickness);
            const QRect area(meter->mapTo(&row, QPoint()), meter->size());
            QVERIFY(row.rect().contains(area) && !taken.intersects(area));
            taken += area;
            const bool red = index % 2 == 0;
            QCOMPARE(meter->bar()->tint(), red ? Theme::Role::red : Theme::Role::accent);
            QCOMPARE(meter->number()->colour(), red ? Theme::Role::red : Theme::Role::primaryText);
        }
    }

    void expandedRowShowsEveryLimit_data() {
        QTest::addColumn<bool>("picture");
        QTest::newRow("live") << false;
        QTest::newRow("picture") << true;
    }
    void expandedRowShowsEveryLimit() {
        QFETCH(bool, picture);
        int toggles = 0;
        int stops = 0;
        AccountRow row(entry({reading("Session", 100, 0), reading("Week, Sonnet", 95, 7200)},
                             FetchProblem::noCredential()),
                       now, true, {[&] { ++toggles; }, [&] { ++stops; }, {}}, picture);

        QVERIFY(!child<QWidget>(row, "meters"));
        const QList<DetailRow*> details = row.findChildren<DetailRow*>();
        QCOMPARE(details.size(), 2);
        // A limit whose reset has passed is unused and has nothing to reset.
        QCOMPARE(details[0]->number()->text(), QStringLiteral("0% used"));
        QCOMPARE(details[0]->bar()->fraction(), 0.0);
        QCOMPARE(details[0]->reset()->text(), QStringLiteral("Not started, nothing to reset"));
        QCOMPARE(details[1]->number()->colour(), Theme::Role::red);
        QCOMPARE(details[1]->title()->shownText(), QStringLiteral("Week, Sonnet"));
        QCOMPARE(details[0]->bar()->width(), details[1]->bar()->width());
        QCOMPARE(child(row, "detailLine")->text(),
                 QStringLiteral("Max  \u00B7  /srv/.claude-work"));
        QCOMPARE(child<SymbolView>(row, "chevron")->rotation(), 90.0);

        QCOMPARE(child<QWidget>(row, "signInAgain") == nullptr, picture);
        if (picture) {
            QCOMPARE(child(row, "stopTracking")->colour(), Theme::Role::accent);
            return;
        }
        auto* stop = child<QAbstractButton>(row, "stopTracking");
        QVERIFY(stop->toolTip().startsWith(QStringLiteral("Hides this account from Spanwell.")));
        stop->click();
        row.header()->click();
        QCOMPARE(stops, 1);
        QCOMPARE(toggles, 1);
    }

    void aLongFolderGivesWayBeforeTheDates() {
        Entry shown = entry({reading("Session", 10)});
        shown.account.configDir = QStringLiteral("/srv/") + QString(60, QLatin1Char('x')) +
                                  QStringLiteral("/.claude-work");
        shown.snapshot->subscription = Subscription{QStringLiteral("active"), now - 20 * 86400};
        shown.snapshot->loginExpiresAt = now + 3 * 86400;
        shown.snapshot->plan.reset();
        AccountRow row(shown, now, true, {});
        row.resize(384, row.heightForWidth(384));
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        const TextLabel* line = child(row, "detailLine");
        const QString dates = line->text().mid(line->text().lastIndexOf(QStringLiteral("renews")));
        QVERIFY(line->shownText().contains(QChar(0x2026)));
        QVERIFY2(line->shownText().endsWith(dates), qPrintable(line->shownText()));
    }
};

QTEST_MAIN(AccountRowTest)
#include "AccountRowTest.moc"
