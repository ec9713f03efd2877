#pragma once

#include <QByteArray>

// Where the running executable itself lies, not a link to it.
namespace ExecutablePath {

// Absolute; empty when the system does not tell.
QByteArray get();

} // namespace ExecutablePath
