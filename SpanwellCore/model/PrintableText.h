#pragma once

#include <QString>

// Text from outside the program (folder names, addresses, messages) made safe to print to a
// terminal, where a line feed would forge a line of its own and an escape sequence would move
// the cursor, recolour or clear the screen.
namespace PrintableText {

// Tab, line feed and carriage return as \t, \n and \r; every other control character, line or
// paragraph separator and invisible formatting character (such as a direction override) as
// \xHH, \uHHHH or \UHHHHHHHH by its code point; a backslash doubled, so that every escape
// reads one way. Everything else passes unchanged.
QString escaped(const QString& text);

} // namespace PrintableText
