// Measures what `spanwell --status` costs with a fresh cache, beside the least a Qt Core program
// costs to read the same cache file and print one line: the wall time from start to exit,
// median of 21 runs each, the two taking turns. Prints both times and, last, their ratio.

#include "ProgramRuns.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

constexpr int timedRuns = 21;
// Eight accounts, and a cache whose figures of every one were fetched a second ago.
QString addAccountsWithFreshFigures(const TemporaryHome& home) {
    const double now = double(QDateTime::currentMSecsSinceEpoch()) / 1000 - 978307200;
    QJsonObject cache;
    for (int index = 0; index < ProgramRuns::accountCount; ++index) {
        const QString folder = ProgramRuns::addAccount(home, index);
        const QJsonArray limits{
            QJsonObject{{"title", "Session"}, {"percent", 10 * index}, {"resetsAt", now + 7200}},
            QJsonObject{{"title", "Week"}, {"percent", 5 * index}, {"resetsAt", now + 300000}}};
        cache.insert(home.pathOf(folder),
                     QJsonObject{{"limits", limits}, {"plan", "Max"}, {"fetchedAt", now - 1}});
    }
    return home.writeFile(QStringLiteral(".local/share/Spanwell/snapshots.json"),
                          QJsonDocument(cache).toJson(QJsonDocument::Compact));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TemporaryHome home;
    const QString cache = addAccountsWithFreshFigures(home);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    // Nothing may be refreshed: a request would fail at once and show as a problem.
    environment.insert(QStringLiteral("SPANWELL_API_ORIGIN"), QStringLiteral("http://127.0.0.1:9"));

    const QString spanwell = ProgramRuns::besideThisProgram("spanwell");
    const QString reference = ProgramRuns::besideThisProgram("bench-minimal-core");
    QList<double> spanwellTimes;
    QList<double> referenceTimes;
    for (int run = 0; run < timedRuns; ++run) {
        spanwellTimes.append(
            ProgramRuns::timedPrinting(spanwell, {QStringLiteral("--status")}, environment));
        referenceTimes.append(ProgramRuns::timedPrinting(reference, {cache}, environment));
    }
    const double spanwellMedian = ProgramRuns::median(spanwellTimes);
    const double referenceMedian = ProgramRuns::median(referenceTimes);
    std::printf("status_spanwell_ms=%.1f\nstatus_reference_ms=%.1f\nstatus_ratio=%.2f\n",
                spanwellMedian, referenceMedian, spanwellMedian / referenceMedian);
    return 0;
}
