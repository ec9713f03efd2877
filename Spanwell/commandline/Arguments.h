#pragma once

#include <QString>
#include <QStringList>

// The process's command line, program path first, read once at start and never changed.
namespace Arguments {

// Keeps argv as the list every mode consults. Only the first call counts.
void capture(int argc, const char* const* argv);
// Empty until captured.
const QStringList& list();

} // namespace Arguments
