#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <algorithm>
#include <optional>

#include <cerrno>
#include <csignal>

#include <unistd.h>

namespace {

QStringList nulSeparated(const QByteArray& bytes) {
    QStringList items;
    for (const QByteArray& item : bytes.split('\0'))
        items.append(QString::fromUtf8(item));
    items.removeLast(); // after the final separator
    return items;
}

QByteArray quotedFolder(const QString& folder) {
    return '\'' + folder.toUtf8() + '\'';
}

std::optional<pid_t> recordedProcess(const QString& path) {
    bool ok = false;
    const int id = readFile(path).trimmed().toInt(&ok);
    if (!ok || id <= 0)
        return std::nullopt;
    return static_cast<pid_t>(id);
}

} // namespace

namespace StandIn {

QByteArray script(const QByteArray& body) {
    return "#!/bin/sh\n" + body;
}

QByteArray recordingLines(const QString& folder) {
    const QByteArray quoted = quotedFolder(folder);
    return "echo $$ > " + quoted +
           "/pid\n"
           "for argument in \"$@\"; do printf '%s\\0' \"$argument\"; done > " +
           quoted +
           "/arguments\n"
           "cat /proc/$$/environ > " +
           quoted +
           "/environment\n"
           // Read before redirecting, which the shell may do to its own descriptors.
           "streams=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
           "printf '%s\\n' \"$streams\" > " +
           quoted + "/streams\n";
}

QByteArray descendantLine(const QString& folder) {
    return "sleep 10 &\necho $! > " + quotedFolder(folder) + "/descendant\n";
}

QStringList recordedArguments(const QString& folder) {
    const QByteArray bytes = readFile(folder + QStringLiteral("/arguments"));
    return bytes.isEmpty() ? QStringList() : nulSeparated(bytes);
}

QStringList recordedEnvironment(const QString& folder) {
    const QByteArray bytes = readFile(folder + QStringLiteral("/environment"));
    QStringList entries = bytes.isEmpty() ? QStringList() : nulSeparated(bytes);
    std::sort(entries.begin(), entries.end());
    return entries;
}

QStringList recordedStreams(const QString& folder) {
    return QString::fromUtf8(readFile(folder + QStringLiteral("/streams")))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool hasEnded(const QString& folder) {
    const std::optional<pid_t> process = recordedProcess(folder + QStringLiteral("/pid"));
    return process && ::kill(*process, 0) == -1 && errno == ESRCH;
}

void endDescendant(const QString& folder) {
    if (const std::optional<pid_t> process =
            recordedProcess(folder + QStringLiteral("/descendant")))
        ::kill(*process, SIGKILL);
}

QString ownStream(int descriptor) {
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
    char target[4096];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    return length < 0 ? QString() : QString::fromUtf8(target, length);
}

} // namespace StandIn
