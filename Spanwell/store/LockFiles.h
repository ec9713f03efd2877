#pragma once

#include <QLockFile>
#include <QString>

// Lock files (QLockFile) with one rule for a lock left behind. A holder keeps its lock file open
// and locked by the kernel for as long as it holds it, so a file no process has locked was left
// by a holder that ended. It is stale when its owner cannot be read (a crash or a power loss
// between making and writing it) or its process, on this computer, is gone. Anything but a
// regular file in a lock's place is no lock at all.
namespace LockFiles {

// Whether a live holder has the lock at `path`: false when there is none, or a stale one.
bool isHeld(const QString& path);

// Takes the lock now, first removing one that is stale.
bool tryLock(QLockFile& lock);

// Tries every `pollMilliseconds` until the lock is taken or `milliseconds` have passed.
bool lockWithin(QLockFile& lock, int milliseconds, int pollMilliseconds);

// Why `lockWithin` did not take the lock, in words for the log.
QString whyNotTaken(const QLockFile& lock, int milliseconds);

} // namespace LockFiles
