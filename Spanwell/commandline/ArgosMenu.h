#pragma once

#include "model/Instant.h"
#include "store/Entry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The text that Argos (GNOME), Kargos (KDE) and xbar run a program for: the panel's line, "---",
// then the menu, a line per account in its verdict's colour, each of which opens Spanwell's
// panel when clicked, and a line that refreshes. Each line is its text, then "|" and the
// attributes that tell the extension how to show it and what to run.
namespace ArgosMenu {

// `program` is the absolute path of the program the menu's lines run.
QByteArray text(const QList<Entry>& entries, Instant now, const QString& program);

} // namespace ArgosMenu
