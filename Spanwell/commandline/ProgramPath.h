#pragma once

#include <QByteArray>

// Where the running executable is: the file itself, not a link to it.
namespace ProgramPath {

// Its absolute path; empty when the system does not tell.
QByteArray executable();

} // namespace ProgramPath
