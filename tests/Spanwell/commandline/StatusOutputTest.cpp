#include "commandline/ArgosMenu.h"
#include "commandline/BestAccount.h"
#include "commandline/HistoryOutput.h"
#include "commandline/StatusJson.h"
#include "commandline/StatusTable.h"
#include "commandline/TerminalModes.h"
#include "commandline/WaybarLine.h"
#include "store/EntryStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

Q_DECLARE_METATYPE(TableStyle)
Q_DECLARE_METATYPE(TerminalStyle::Facts)

namespace {

const Instant now(800000000);

LimitReading reading(const QString& title, double percent, std::optional<double> resetIn = {}) {
    return {title, percent, resetIn ? std::optional<Instant>(now + *resetIn) : std::nullopt};
}

Entry entry(const QString& folder, const QString& email, std::optional<QList<LimitReading>> limits,
            std::optional<FetchProblem> problem = std::nullopt) {
    Entry made{{QStringLiteral("/home/ann/") + folder, QStringLiteral("service"), email, {}, {}},
               std::nullopt,
               problem};
    if (limits)
        made.snapshot = Snapshot{*limits, QStringLiteral("Max"), {}, {}, now - 30};
    return made;
}

Entry ready(double session, const QString& folder = QStringLiteral(".claude-a")) {
    return entry(folder, QStringLiteral("a@example.com"),
                 QList{reading("Session", session, 600), reading("Week", 10)});
}

// A ready account, a partly usable one, a blocked one whose last refresh failed, and one with
// neither figures nor a credential whose e-mail would forge a line and clear the screen.
const QList<Entry> accounts{
    entry(".claude", "ann@example.com",
          QList{reading("Session", 42, 6660), reading("Week", 61, 187920)}),
    entry(".claude-client", "client@example.com",
          QList{reading("Session", 64, 12240), reading("Week", 58, 353160),
                reading("Week, Opus", 100, 353160)}),
    entry(".claude-work", "work@example.com",
          QList{reading("Session", 100, 2304), reading("Week", 72)},
          FetchProblem::failed("Anthropic returned error 500.")),
    entry(".claude-x", QStringLiteral("<b>x\x1b[2J@example.com\nforged ") + QChar(0xD800),
          std::nullopt, FetchProblem::noCredential()),
};

} // namespace

class StatusOutputTest : public QObject {
    Q_OBJECT

private slots:
    // One line per account in columns, nothing from outside unescaped, and a sentence for none.
    void table() {
        const QStringList lines = StatusTable::text(accounts, now).split('\n');
        QCOMPARE(lines.size(), accounts.size() + 1);
        for (const QString& line : lines.first(accounts.size()))
            QCOMPARE(line.indexOf(" week "), lines.first().indexOf(" week "));
        QVERIFY(lines.at(3).startsWith(R"(<b>x\x1b[2J@example.com\nforged \ud800 )"));
        // An address of any length is shortened in its middle, and lengthens no other line.
        const Entry endless = entry(".claude-c", QString(200000, 'a') + "@example.com", {});
        const QStringList shortened =
            StatusTable::text({endless, accounts.first()}, now).split('\n');
        QCOMPARE(shortened.at(0).left(62),
                 QString(30, 'a') + "\u2026aaaaaaaaaaaaaaaaa@example.com  ");
        QCOMPARE_LT(shortened.at(1).size(), 200);
        const QString none = StatusTable::text({}, now);
        QVERIFY(none.endsWith(".\n") && none.count('\n') == 1);
    }

    // A terminal's own width before COLUMNS, colour unless NO_COLOR is set to something or the
    // terminal is a dumb one; a pipe gets neither.
    void terminalStyle_data() {
        using Facts = TerminalStyle::Facts;
        QTest::addColumn<Facts>("facts");
        QTest::addColumn<TableStyle>("style");
        QTest::newRow("pipe") << Facts{false, 0, "100", {}, {}} << TableStyle{};
        QTest::newRow("own width") << Facts{true, 60, "100", {}, {}} << TableStyle{60, true};
        QTest::newRow("COLUMNS") << Facts{true, 0, "132", "", {}} << TableStyle{132, true};
        QTest::newRow("neither") << Facts{true, 0, "wide", {}, {}} << TableStyle{80, true};
        QTest::newRow("NO_COLOR") << Facts{true, 60, {}, "1", {}} << TableStyle{60, false};
        QTest::newRow("dumb") << Facts{true, 60, {}, {}, "dumb"} << TableStyle{60, false};
    }
    void terminalStyle() {
        QFETCH(TerminalStyle::Facts, facts);
        QFETCH(TableStyle, style);
        QCOMPARE(TerminalStyle::choose(facts), style);
    }

    // At 80 columns the 38-character e-mail gives way in its middle; at 60 the figures go under
    // it. The problem wraps under its account, indented, and the verdicts and the figures near
    // and at their limits are coloured.
    void fitsTheTerminal_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("table");
        const QString long_ = "\x1b[31mback in 2h 0m\x1b[0m";
        const QString figures =
            "\x1b[33msession 85% · 38m\x1b[0m     \x1b[31mweek 100% · 2h 0m\x1b[0m\n";
        QTest::newRow("80") << 80
                            << "ann@example.com           \x1b[32mready\x1b[0m          session "
                               "42% · 1h 51m  week 61% · 2d 4h\n"
                               "ann.marie.lo…ample.co.uk  " +
                                   long_ + "  " + figures +
                                   "  Anthropic's usage service did not answer within 20 "
                                   "seconds.\n";
        QTest::newRow("60") << 60
                            << "ann@example.com                         \x1b[32mready\x1b[0m\n"
                               "  session 42% · 1h 51m  week 61% · 2d 4h\n"
                               "ann.marie.longname-smith@example.co.uk  " +
                                   long_ + "\n  " + figures +
                                   "  Anthropic's usage service did not answer within 20\n"
                                   "  seconds.\n";
    }
    void fitsTheTerminal() {
        QFETCH(int, width);
        QFETCH(QString, table);
        const QList<Entry> entries{
            accounts.first(),
            entry(".claude-long", "ann.marie.longname-smith@example.co.uk",
                  QList{reading("Session", 85, 2304), reading("Week", 100, 7200)},
                  FetchProblem::failed(
                      "Anthropic's usage service did not answer within 20 seconds.")),
        };
        QCOMPARE(StatusTable::text(entries, now, {width, true}), table);
    }

    void json() {
        const QByteArray bytes = StatusJson::document(accounts, now, "/home/ann");
        // Valid UTF-8 and valid JSON, whatever the texts hold.
        QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes);
        QJsonParseError error;
        const QJsonObject root = QJsonDocument::fromJson(bytes, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(root.value("version"), 2);
        QCOMPARE(
            root.value("summary").toObject(),
            QJsonObject({{"accounts", 4}, {"usable", 2}, {"averageSessionPercent", 206 / 3.0}}));
        const QJsonObject first = root.value("accounts")[0].toObject();
        const auto rfc3339 = [](double seconds) {
            return (now + seconds).toDateTime().toUTC().toString(Qt::ISODateWithMs);
        };
        QCOMPARE(first, QJsonObject({{"email", "ann@example.com"},
                                     {"folder", "/home/ann/.claude"},
                                     {"folderLabel", "~/.claude"},
                                     {"isDefault", true},
                                     {"plan", "Max"},
                                     {"verdict", QJsonObject{{"kind", "ready"}, {"text", "Ready"}}},
                                     {"limits", first.value("limits")},
                                     {"extraUsage", QJsonValue::Null},
                                     {"spend", QJsonValue::Null},
                                     {"problem", QJsonValue::Null},
                                     {"fetchedAt", rfc3339(-30)}}));
        QCOMPARE(first.value("limits")[0].toObject(),
                 QJsonObject({{"title", "Session"},
                              {"percent", 42},
                              {"resetsAt", rfc3339(6660)},
                              {"windowShareGone", 1 - 6660 / 18000.0}}));
        QCOMPARE(root.value("accounts")[2]["problem"]["kind"], "failed");
        QCOMPARE(root.value("accounts")[2]["problem"]["text"], "Anthropic returned error 500.");
        QCOMPARE(QJsonDocument::fromJson(StatusJson::document({}, now, {}))["accounts"],
                 QJsonArray());
    }

    // One line, with a class for all usable, some blocked and none usable, and a tooltip of a
    // line per account in which nothing from outside may open a Pango tag.
    void waybar() {
        const auto shown = [](const QList<Entry>& entries) {
            return QJsonDocument::fromJson(WaybarLine::line(entries, now)).object();
        };
        QCOMPARE(shown(accounts.mid(0, 2)).value("class"), "all-usable");
        QCOMPARE(shown(accounts.mid(2)).value("class"), "none-usable");
        const QByteArray line = WaybarLine::line(accounts, now);
        QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
        QJsonObject object = QJsonDocument::fromJson(line).object();
        const QString tooltip = object.take("tooltip").toString();
        QCOMPARE(object, (QJsonObject{{"class", "some-blocked"},
                                      {"alt", "some-blocked"},
                                      {"percentage", 69},
                                      {"text", "2/4 · 69%"}}));
        QCOMPARE(tooltip.count('\n'), accounts.size() - 1);
        QVERIFY(!tooltip.contains('<'));
    }

    // The bar's line, then a line per account in its colour that opens the panel, quoted for
    // the shell and with nothing from outside that could begin the attributes or a Pango tag;
    // the one-line form is the bar's line alone.
    void argosAndLine() {
        const QStringList lines =
            QString::fromUtf8(ArgosMenu::text(accounts, now, "/opt/my tools/spanwell")).split('\n');
        const QString program = R"(bash=''\''/opt/my tools/spanwell'\''')";
        QCOMPARE(lines.mid(0, 2), (QStringList{"2/4 · 69%", "---"}));
        QCOMPARE(lines.at(2), "ann@example.com  ready  session 42% · 1h 51m  week 61% · 2d 4h | "
                              "unescape=false color=#2ec27e " +
                                  program + " terminal=false");
        QVERIFY(lines.at(4).contains(" color=#e01b24 "));
        QVERIFY(lines.at(5).count('|') == 1 && !lines.at(5).contains('<'));
        QCOMPARE(lines.mid(6), (QStringList{"---",
                                            R"(Refresh Now | bash=''\''/opt/my tools/spanwell'\'' )"
                                            R"(--refresh' terminal=false refresh=true)",
                                            ""}));
        Mode mode;
        mode.statusFormat = Mode::StatusFormat::line;
        QCOMPARE(TerminalModes::status(mode, accounts, now, {}).output, "2/4 · 69%\n");
    }

    // Money beside the limits in every form, and when a paused account is asked again, by the
    // user's clock. A seat under its spend limit is usable.
    void amountsAndPauses() {
        const auto usd = [](double cents) { return Money{cents, QStringLiteral("USD"), 2}; };
        Entry seat = entry(".claude-seat", "seat@example.com", QList<LimitReading>());
        seat.snapshot->spend = Spend{usd(1802), usd(30000), {}, {}, {}};
        const FetchProblem limited = FetchProblem::rateLimited(now + 1200, 300);
        Entry extra = entry(".claude-x", "x@example.com", QList{reading("Session", 100)}, limited);
        extra.snapshot->extraUsage = ExtraUsage{true, usd(1540), usd(2000), 77};
        QCOMPARE(StatusTable::cells(seat, now).mid(1),
                 (QStringList{"ready", "session -", "week -", "spend $18.02 of $300.00"}));
        QCOMPARE(
            EntryStatus::problemText(limited, true, now, Calendar(QTimeZone::utc()), QLocale::c()),
            "Rate limited; next check at 06:33");
        const QJsonValue account =
            QJsonDocument::fromJson(StatusJson::document({extra}, now, {}))["accounts"][0];
        QCOMPARE(account["extraUsage"]["text"], "$15.40 of $20.00");
        QCOMPARE(account["problem"]["nextCheckAt"], StatusJson::rfc3339(now + 1200));
        QVERIFY(WaybarLine::line({seat}, now).contains("spend $18.02 of $300.00"));
        QCOMPARE(BestAccount::choose({extra, seat}, now)->email, "seat@example.com");
    }

    void best_data() {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<QString>("folder");
        const FetchProblem failed = FetchProblem::failed("Timed out");
        QTest::newRow("usable on every limit before partly usable")
            << QList{accounts.at(1), ready(80, ".claude-b")} << "/home/ann/.claude-b";
        QTest::newRow("lowest session use")
            << QList{ready(42), ready(30, ".claude-b")} << "/home/ann/.claude-b";
        QTest::newRow("ties by the panel's order")
            << QList{ready(30), ready(30, ".claude-b")} << "/home/ann/.claude-a";
        QTest::newRow("a session that has reset counts as unused")
            << QList{ready(20), entry(".claude-b", "b", QList{reading("Session", 95, -1)})}
            << "/home/ann/.claude-b";
        QTest::newRow("a failed refresh keeps usable figures")
            << QList{ready(50), entry(".claude-b", "b", QList{reading("Session", 5)}, failed)}
            << "/home/ann/.claude-b";
        QTest::newRow("a lapsed sign-in never")
            << QList{entry(".claude-b", "b", QList{reading("Session", 5)},
                           FetchProblem::signInExpired()),
                     ready(90)}
            << "/home/ann/.claude-a";
        QTest::newRow("nothing usable") << accounts.mid(2) << QString();
    }
    void best() {
        QFETCH(QList<Entry>, entries);
        QFETCH(QString, folder);
        const std::optional<Account> chosen = BestAccount::choose(entries, now);
        QCOMPARE(chosen ? chosen->configDir : QString(), folder);
    }

    // Quoted for the shell, the default folder needs none; a folder whose name cannot be printed
    // as it is, is not printed at all.
    void command_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("printCommand");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("the default folder") << ".claude" << true << QByteArray("claude\n");
        QTest::newRow("quoted")
            << ".claude-it's $HOME" << true
            << QByteArray(R"(CLAUDE_CONFIG_DIR='/home/ann/.claude-it'\''s $HOME' claude)"
                          "\n");
        QTest::newRow("unprintable, as a command") << ".claude-a\n\x1b" << true << QByteArray();
        QTest::newRow("unprintable, as a folder") << ".claude-a\n\x1b" << false << QByteArray();
    }
    void command() {
        QFETCH(QString, folder);
        QFETCH(bool, printCommand);
        QFETCH(QByteArray, output);
        Mode mode;
        mode.kind = Mode::Kind::best;
        mode.printCommand = printCommand;
        const TerminalModes::Outcome outcome = TerminalModes::best(mode, {ready(10, folder)}, now);
        QCOMPARE(outcome.output, output);
        QCOMPARE(outcome.exitStatus, output.isEmpty() ? 1 : 0);
        QCOMPARE(outcome.errors.contains(R"(.claude-a\n\x1b,)"), output.isEmpty());
    }

    // With none usable, the blocked account whose limits reset first, and when.
    void noneUsable() {
        Mode mode;
        mode.kind = Mode::Kind::best;
        const Entry later = entry(".claude-l", "l", QList{reading("Session", 100, 7200)});
        const TerminalModes::Outcome outcome =
            TerminalModes::best(mode, {later, accounts.at(2), accounts.at(3)}, now);
        QCOMPARE(outcome.exitStatus, 1);
        QCOMPARE(outcome.errors,
                 "spanwell: No account is usable now. work@example.com is back in 38m.\n");
    }

    // The history's readings: each day's peak by the calendar's days, and every reading in CSV,
    // a title with a comma quoted.
    void history() {
        using Source = HistoryReading::Source;
        const Instant midnight =
            Instant::fromDateTime(QDateTime(QDate(2026, 5, 4), QTime(0, 0), Qt::UTC));
        const QList<HistoryReading> kept{
            {"/home/ann/.claude", "Session", 90, midnight - 600, midnight - 900, Source::service},
            {"/home/ann/.claude", "Session", 5, midnight + 17400, midnight + 60,
             Source::claudeCode},
            {"/home/ann/.claude", "Session", 30, midnight + 17400, midnight + 3600,
             Source::service},
            {"/srv/b", "Week, \"Opus\"", 7, {}, midnight, Source::service},
        };
        const Calendar utc(QTimeZone::utc());
        const QLocale english(QLocale::English);
        QCOMPARE(HistoryOutput::table(kept, midnight, "/home/ann", utc, english),
                 "~/.claude \u00B7 Session\n"
                 "  Sun May 3       90%  1 reading\n"
                 "  Mon May 4       30%  2 readings\n"
                 "\n/srv/b \u00B7 Week, \"Opus\"\n"
                 "  Mon May 4        7%  1 reading\n");
        const QList<QByteArray> rows = HistoryOutput::csv(kept).split('\n');
        QCOMPARE(rows.first(), "folder,title,percent,resetsAt,readAt,source\r");
        QCOMPARE(rows.at(2), "/home/ann/.claude,Session,5,2026-05-04T04:50:00.000Z,"
                             "2026-05-04T00:01:00.000Z,statusline\r");
        QCOMPARE(rows.at(4), "/srv/b,\"Week, \"\"Opus\"\"\",7,,2026-05-04T00:00:00.000Z,service\r");
        QCOMPARE(HistoryOutput::folderNamed("~/.claude-work", "/home/ann"),
                 "/home/ann/.claude-work");
    }
};

QTEST_GUILESS_MAIN(StatusOutputTest)
#include "StatusOutputTest.moc"
