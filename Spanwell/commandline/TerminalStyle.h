#pragma once

#include <QString>

#include <optional>

// How the status table is written where it goes: on a terminal it fits the terminal's width and
// is coloured; written to a pipe or a file it stays plain and unwrapped, as scripts read it.
struct TableStyle {
    // The columns a line may take; absent for output that is not a terminal.
    std::optional<int> width;
    bool colour = false;

    bool operator==(const TableStyle&) const = default;
};

namespace TerminalStyle {

// What is known of standard output and the environment.
struct Facts {
    bool isTerminal = false;
    // The width the terminal itself tells; 0 when it tells none.
    int windowColumns = 0;
    // The environment's COLUMNS, NO_COLOR and TERM; absent when unset.
    std::optional<QString> columns;
    std::optional<QString> noColor;
    std::optional<QString> term;
};

// A terminal's own width, else COLUMNS, else 80; colour unless NO_COLOR is set to anything but
// an empty text or the terminal is a dumb one. Plain and unwrapped when it is no terminal.
TableStyle choose(const Facts& facts);

// Standard output and this process's environment as they are.
Facts ofStandardOutput();

} // namespace TerminalStyle
