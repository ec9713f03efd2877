// Measures what `spanwell --statusline` costs Claude Code after each reply, beside the least a
// Qt Core program costs to read the snapshot cache and print one line: the wall time from start
// to exit, median of 21 runs each, taking turns. Each status-line run takes the JSON Claude Code
// hands it and prints its line: mostly with the figures it gave the run before, which are in the
// cache already (`statusline_ratio`), and now and then with new figures, which it records
// (`statusline_recording_ratio`).

#include "ProgramRuns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

constexpr int timedRuns = 21;

// Eight accounts with figures in the cache, a scoped limit and extra usage among them.
QString addAccountsWithFigures(const TemporaryHome& home) {
    const double now = double(QDateTime::currentMSecsSinceEpoch()) / 1000 - 978307200;
    QJsonObject cache;
    for (int index = 0; index < ProgramRuns::accountCount; ++index) {
        const QString folder = ProgramRuns::addAccount(home, index);
        const QJsonArray limits{
            QJsonObject{{"title", "Session"}, {"percent", 10 * index}, {"resetsAt", now + 7200}},
            QJsonObject{{"title", "Week"}, {"percent", 5 * index}, {"resetsAt", now + 300000}},
            QJsonObject{{"title", "Week, Opus"}, {"percent", index}, {"resetsAt", now + 300000}}};
        const QJsonObject extra{
            {"isEnabled", true},
            {"used", QJsonObject{{"minorUnits", 1540}, {"currency", "USD"}, {"decimalPlaces", 2}}}};
        cache.insert(home.pathOf(folder), QJsonObject{{"limits", limits},
                                                      {"plan", "Max"},
                                                      {"extraUsage", extra},
                                                      {"fetchedAt", now - 120}});
    }
    return home.writeFile(QStringLiteral(".local/share/Spanwell/snapshots.json"),
                          QJsonDocument(cache).toJson(QJsonDocument::Compact));
}

// What Claude Code hands its status line after a reply, in the default folder.
QByteArray claudeCodesInput(double session) {
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QJsonObject limits{
        {"five_hour", QJsonObject{{"used_percentage", session}, {"resets_at", now + 7200}}},
        {"seven_day", QJsonObject{{"used_percentage", 41.2}, {"resets_at", now + 300000}}}};
    return QJsonDocument(QJsonObject{{"session_id", "0f1e2d3c-4b5a-6978-8a9b-0c1d2e3f4a5b"},
                                     {"cwd", "/home/ann/src"},
                                     {"model", QJsonObject{{"id", "claude-opus-4-1"},
                                                           {"display_name", "Opus 4.1"}}},
                                     {"workspace", QJsonObject{{"current_dir", "/home/ann/src"}}},
                                     {"version", "2.1.80"},
                                     {"cost", QJsonObject{{"total_cost_usd", 0.0123}}},
                                     {"rate_limits", limits}})
        .toJson(QJsonDocument::Compact);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TemporaryHome home;
    const QString cache = addAccountsWithFigures(home);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "CLAUDE_CONFIG_DIR"})
        environment.remove(QLatin1String(name));

    const QString spanwell = ProgramRuns::besideThisProgram("spanwell");
    const QString reference = ProgramRuns::besideThisProgram("bench-minimal-core");
    const QStringList mode{QStringLiteral("--statusline")};
    QList<double> repeatedTimes;
    QList<double> recordingTimes;
    QList<double> referenceTimes;
    for (int run = 0; run < timedRuns; ++run) {
        // Records the figures the next run reports again.
        ProgramRuns::timedPrinting(spanwell, mode, environment, claudeCodesInput(23.5));
        repeatedTimes.append(
            ProgramRuns::timedPrinting(spanwell, mode, environment, claudeCodesInput(23.5)));
        referenceTimes.append(ProgramRuns::timedPrinting(reference, {cache}, environment));
        recordingTimes.append(
            ProgramRuns::timedPrinting(spanwell, mode, environment, claudeCodesInput(run + 1)));
    }
    // Every run recorded Claude Code's figures beside the others'.
    if (!readFile(cache).contains("\"fromClaudeCode\":true") ||
        !readFile(cache).contains("Week, Opus"))
        ProgramRuns::fail(QStringLiteral("Claude Code's figures were not recorded"));
    const double repeated = ProgramRuns::median(repeatedTimes);
    const double recording = ProgramRuns::median(recordingTimes);
    const double referenceMedian = ProgramRuns::median(referenceTimes);
    std::printf("statusline_spanwell_ms=%.1f\nstatusline_recording_ms=%.1f\n"
                "statusline_reference_ms=%.1f\nstatusline_recording_ratio=%.2f\n"
                "statusline_ratio=%.2f\n",
                repeated, recording, referenceMedian, recording / referenceMedian,
                repeated / referenceMedian);
    return 0;
}
