#pragma once

#include <QString>

// Texts put into a command line that a shell reads.
namespace ShellQuoting {

// The text as one word for a POSIX shell: unchanged when it holds only characters no shell
// treats specially, else in single quotes, which keep every character as it is but a single
// quote, written as '\''.
QString quoted(const QString& text);

} // namespace ShellQuoting
