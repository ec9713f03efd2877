#include "DesktopSession.h"
#include "support/SpanwellProcess.h"

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

// How long a program of the session may take to start, or a tool to end.
constexpr int waitMilliseconds = 10000;

// The first line the program prints, such as the display number or the bus address.
QString firstLine(QProcess& process) {
    if (!QTest::qWaitFor([&] { return process.canReadLine(); }, waitMilliseconds))
        return {};
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

DesktopSession::DesktopSession() {
    // Xvfb picks a free display itself and writes its number to the descriptor it is given.
    // Without -noreset it would start over whenever its last client leaves, and refuse the
    // next one meanwhile.
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    const QString number = firstLine(
        *start(QStringLiteral("Xvfb"),
               QStringLiteral("-displayfd 1 -noreset -screen 0 1280x800x24 -nolisten tcp"), own));
    busAddress = firstLine(*start(QStringLiteral("dbus-daemon"),
                                  QStringLiteral("--session --nofork --print-address=1"), own));
    if (!number.isEmpty())
        display = QLatin1Char(':') + number;
}

DesktopSession::~DesktopSession() {
    QDBusConnection::disconnectFromBus(busAddress);
    // The last started first: the programs before the bus and the display they need.
    while (!started.isEmpty()) {
        stop(*started.last());
        delete started.takeLast();
    }
}

QProcessEnvironment DesktopSession::environment(const QString& home,
                                                const QString& serviceOrigin) const {
    QProcessEnvironment environment = SpanwellProcess::environment(home, serviceOrigin);
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    // No accessibility bus for the GTK trays: the session bus would start it as a program of
    // its own.
    environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
    return environment;
}

QProcess* DesktopSession::start(const QString& program, const QString& arguments,
                                QProcessEnvironment environment) {
    auto* process = new QProcess;
    process->setProcessEnvironment(environment.isEmpty() ? this->environment(QDir::tempPath())
                                                         : environment);
    // The programs' complaints go nowhere unless E2E_ERR names a file for them.
    process->setStandardErrorFile(qEnvironmentVariable("E2E_ERR", QProcess::nullDevice()),
                                  QIODevice::Append);
    // Ended with the test program, however that ends.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start(program, arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    started.append(process);
    return process;
}

void DesktopSession::stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished();
    }
}

QByteArray DesktopSession::xdotool(const QString& arguments) const {
    QProcess tool;
    tool.setProcessEnvironment(environment(QDir::tempPath()));
    tool.start(QStringLiteral("xdotool"), arguments.split(QLatin1Char(' ')));
    tool.waitForFinished(waitMilliseconds);
    return tool.readAllStandardOutput();
}

QList<QRect> DesktopSession::windows(const QString& windowClass) const {
    const QString shell = QString::fromUtf8(
        xdotool(QStringLiteral("search --onlyvisible --classname ^%1$ getwindowgeometry --shell %@")
                    .arg(windowClass)));
    static const QRegularExpression window(
        QStringLiteral("X=(-?\\d+)\\nY=(-?\\d+)\\nWIDTH=(\\d+)\\nHEIGHT=(\\d+)"));
    QList<QRect> found;
    for (auto match = window.globalMatch(shell); match.hasNext();) {
        const QRegularExpressionMatch numbers = match.next();
        found.append(QRect(numbers.captured(1).toInt(), numbers.captured(2).toInt(),
                           numbers.captured(3).toInt(), numbers.captured(4).toInt()));
    }
    return found;
}

QDBusConnection DesktopSession::bus() const {
    return QDBusConnection::connectToBus(busAddress, busAddress);
}
