#pragma once

#include <QString>

// What `--help` and `--version` print.
namespace HelpText {

// Every mode on a line of its own, in the order the command line is read, then the options.
QString usage();
// "Spanwell", a space and the version, on one line.
QString version();

} // namespace HelpText
