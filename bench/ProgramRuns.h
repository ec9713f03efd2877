#pragma once

#include "support/TemporaryHome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

// What the benchmarks that set Spanwell beside a minimal program share: the programs built
// beside them, the accounts they work on, and timed runs that must succeed.
namespace ProgramRuns {

constexpr int accountCount = 8;
constexpr int patienceMilliseconds = 60000;

// Ends the benchmark with a sentence that starts with its name.
[[noreturn]] inline void fail(const QString& why) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(why));
    std::exit(1);
}

inline QString besideThisProgram(const char* name) {
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name);
}

inline double median(QList<double> values) {
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Signs in the account of that index in its folder, the first one in the default folder; the
// folder's name.
inline QString addAccount(const TemporaryHome& home, int index) {
    const QString folder =
        index == 0 ? QStringLiteral(".claude") : QStringLiteral(".claude-bench%1").arg(index);
    home.addAccount(folder, QStringLiteral("bench%1@example.com").arg(index),
                    QStringLiteral("Bench %1").arg(index), QStringLiteral("Claude Max"));
    return folder;
}

struct Run {
    double milliseconds = 0;
    QByteArray output;
};

// From start to exit, of a run that must end with status 0; `input` on its standard input.
inline Run timed(const QString& program, const QStringList& arguments,
                 const QProcessEnvironment& environment, const QByteArray& input = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(patienceMilliseconds) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(program + QStringLiteral(" did not finish well"));
    const double milliseconds = double(clock.nsecsElapsed()) / 1e6;
    return Run{milliseconds, process.readAllStandardOutput()};
}

// Milliseconds from start to exit of a run that must end with status 0 and print something.
inline double timedPrinting(const QString& program, const QStringList& arguments,
                            const QProcessEnvironment& environment, const QByteArray& input = {}) {
    const Run run = timed(program, arguments, environment, input);
    if (run.output.isEmpty())
        fail(program + QStringLiteral(" printed nothing"));
    return run.milliseconds;
}

} // namespace ProgramRuns
