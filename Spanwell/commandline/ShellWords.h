#pragma once

#include <QString>

// Texts written for a POSIX shell to read back as they are.
namespace ShellWords {

// One word: as it is when it holds only characters no shell treats specially, else in single
// quotes, which keep every character but a single quote, written as '\''.
QString quoted(const QString& text);

} // namespace ShellWords
