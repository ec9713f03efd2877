#include "views/AccountRow.h"
#include "Spanwell/views/Widgets.h"
#include "views/Bar.h"
#include "views/DetailRow.h"
#include "views/InlineMeter.h"
#include "views/MeterGrid.h"
#include "views/StatusMark.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

using Level = AccountStatus::Level;
using Widgets::named;

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

// Shown at the width of the panel.
void show(AccountRow& row) {
    row.resize(384, row.heightForWidth(384));
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
}

} // namespace

class AccountRowTest : public QObject {
    Q_OBJECT

private slots:
    // A missing or lapsed sign-in blocks and offers to sign in again, in red; a failed
    // refresh says why and leaves the verdict to the numbers, here used up.
    void showsEachProblem_data() {
        QTest::addColumn<std::optional<FetchProblem>>("problem");
        QTest::addColumn<bool>("withSnapshot");
        using Problem = std::optional<FetchProblem>;
        QTest::newRow("none") << Problem() << true;
        QTest::newRow("lapsed, no numbers") << Problem(FetchProblem::signInExpired()) << false;
        QTest::newRow("failed") << Problem(FetchProblem::failed(QStringLiteral("Error 500.")))
                                << true;
    }
    void showsEachProblem() {
        QFETCH(std::optional<FetchProblem>, problem);
        QFETCH(bool, withSnapshot);
        const bool signsIn = problem && problem->needsSignIn();
        const bool failed = problem && !signsIn;
        Entry shown = entry({reading("Session", failed ? 100 : 20), reading("Week", 30)}, problem);
        if (!withSnapshot)
            shown.snapshot.reset();
        int signIns = 0;
        AccountRow row(shown, now, false, {{}, {}, [&signIns] { ++signIns; }});

        QCOMPARE(row.findChild<StatusMark*>()->level(), problem ? Level::blocked : Level::ready);
        const TextLabel* sentence = named(row, "message");
        QCOMPARE(sentence != nullptr, problem.has_value());
        if (failed)
            QCOMPARE(sentence->text(), problem->message());
        QCOMPARE(named<QWidget>(row, "meters") != nullptr, withSnapshot);
        auto* signIn = named<QAbstractButton>(row, "signInAgain");
        QCOMPARE(signIn != nullptr, signsIn);
        QCOMPARE(sentence && sentence->colour() == Theme::Role::red, signsIn);
        if (signIn) {
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
        show(row);

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
            QCOMPARE(meter->number()->colour() == Theme::Role::red, index % 2 == 0);
        }
    }

    // An open row says what is wrong, and offers its fix, before the command that hides the
    // account; a shortened e-mail shows whole in a tool tip.
    void expandedRowShowsEveryLimit() {
        int stops = 0;
        Entry shown = entry({reading("Session", 100, 0), reading("Week, Sonnet", 95, 7200)},
                            FetchProblem::noCredential());
        shown.account.email = QString(60, 'a') + "@example.com";
        AccountRow row(shown, now, true, {{}, [&] { ++stops; }, {}});
        show(row);
        const auto top = [&row](const char* name) {
            return named<QWidget>(row, name)->mapTo(&row, QPoint()).y();
        };
        QVERIFY(top("message") < top("signInAgain") && top("signInAgain") < top("stopTracking"));
        TextLabel* email = named(row, "email");
        QHelpEvent tip(QEvent::ToolTip, QPoint(1, 1), email->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(email, &tip);
        QCOMPARE(QToolTip::text(), shown.account.email);
        QVERIFY(!named<QWidget>(row, "meters"));
        const QList<DetailRow*> details = row.findChildren<DetailRow*>();
        QCOMPARE(details.size(), 2);
        // A limit whose reset has passed is unused.
        QCOMPARE(details[0]->bar()->fraction(), 0.0);
        QCOMPARE(details[0]->bar()->width(), details[1]->bar()->width());
        named<QAbstractButton>(row, "stopTracking")->click();
        QCOMPARE(stops, 1);
    }

    // Money beside the limits: a seat's spend in both forms; extra usage as one more meter when
    // open, and said of a row that cannot be used fully when collapsed.
    void moneyMeters() {
        const auto usd = [](double cents) { return Money{cents, QStringLiteral("USD"), 2}; };
        Entry shown = entry({reading("Session", 100)});
        shown.snapshot->extraUsage = ExtraUsage{true, usd(1540), usd(2000), 77};
        shown.snapshot->spend = Spend{usd(1802), usd(30000), {}, {}, {}};
        AccountRow collapsed(shown, now, false, {});
        QCOMPARE(named(collapsed, "extraUsage")->text(), "Extra usage on \u00B7 $4.60 left");
        QCOMPARE(collapsed.findChildren<InlineMeter*>().last()->number()->text(),
                 "$18.02 of $300.00");
        AccountRow open(shown, now, true, {});
        QCOMPARE(open.findChildren<DetailRow*>().value(2)->number()->text(), "$15.40 of $20.00");
    }

    // A folder too long for the detail line gives way in its middle, and the line is drawn as
    // shortened, not cut at the row's edge.
    void longFolderGivesWay() {
        Entry shown = entry({reading("Session", 10)});
        shown.account.configDir = QStringLiteral("/srv/.claude-") + QString(80, QLatin1Char('x'));
        AccountRow row(shown, now, true, {});
        show(row);
        TextLabel* line = named(row, "detailLine");
        const QString kept = line->shownText();
        QVERIFY(kept.startsWith(QStringLiteral("Max")));
        QVERIFY(kept.contains(QStringLiteral("/srv/.claude-x")));
        QVERIFY(kept.contains(QChar(0x2026)));
        TextLabel drawn(line->shownText(), line->font(), line->colour());
        drawn.setContentsMargins(line->contentsMargins());
        drawn.resize(line->size());
        const auto ink = [](QWidget& label) {
            QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            label.render(&image, {}, {}, QWidget::DrawChildren);
            return image;
        };
        QCOMPARE(ink(*line), ink(drawn));
    }
};

QTEST_MAIN(AccountRowTest)
#include "AccountRowTest.moc"
