#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Everything a child process has printed, decoded as UTF-8 as the bytes arrive. Reads split
// the stream anywhere, so a character cut in two is held back until its last byte comes; only
// bytes that can never belong to a character become U+FFFD.
//
// The text is bounded so that a runaway child cannot exhaust memory: once it grows past twice
// `keptLength` UTF-16 units, only the first and the last `keptLength` stay, joined by a line
// holding "…". The beginning (where the sign-in address is) and the end (the last words) survive.
class CollectedOutput {
public:
    static constexpr qsizetype defaultKeptLength = 256 * 1024;

    explicit CollectedOutput(qsizetype keptLength = defaultKeptLength);

    // Returns whether the text changed.
    bool append(QByteArrayView bytes);
    // The stream has ended: bytes held back for a character that never completed become
    // U+FFFD. Returns whether the text changed.
    bool finish();

    const QString& text() const { return collected; }

private:
    void keepWithinBound();

    qsizetype keptLength;
    QByteArray heldBack;
    QString collected;
    // Where the kept end begins once the middle has been dropped; 0 while nothing is dropped.
    qsizetype gapEnd = 0;
};
