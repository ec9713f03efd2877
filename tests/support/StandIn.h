#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Stand-in scripts for outside programs: shell lines that record how the script was run, and
// readers for what they recorded.
namespace StandIn {

// "#!/bin/sh" followed by `body`.
QByteArray script(const QByteArray& body);

// Lines that write into `folder`: the script's process id ("pid"), its arguments
// ("arguments"), its environment exactly as it was given, before the shell adds anything
// ("environment"), and what its standard input, output and error are connected to ("streams").
QByteArray recordingLines(const QString& folder);
// A line that starts a long sleep in the background, which inherits the script's streams and
// outlives it, and records its process id.
QByteArray descendantLine(const QString& folder);

QStringList recordedArguments(const QString& folder);
// "NAME=value" entries, sorted.
QStringList recordedEnvironment(const QString& folder);
// The link targets of descriptors 0, 1 and 2, such as "/dev/null" or "pipe:[1234]".
QStringList recordedStreams(const QString& folder);

// Whether the recorded script process is gone (ended and reaped).
bool hasEnded(const QString& folder);
// Kills the recorded background sleep, if there is one.
void endDescendant(const QString& folder);

// What one of this process's own descriptors is connected to, in the same form.
QString ownStream(int descriptor);

} // namespace StandIn
