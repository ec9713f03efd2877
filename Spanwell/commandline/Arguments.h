#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The process's command line, program path first, read once at start and never changed.
namespace Arguments {

// Keeps argv as the list every mode consults. Only the first call counts.
void capture(int argc, const char* const* argv);
// Empty until captured.
const QStringList& list();

// The argument right after the first one equal to `after` (exact, case-sensitive); absent when
// none is equal or the equal one is the last. The program path is searched too.
std::optional<QString> value(const QString& after);
std::optional<QString> value(const QStringList& arguments, const QString& after);

// A flag is present when some argument equals it exactly.
bool isPresent(const QString& flag);
bool isPresent(const QStringList& arguments, const QString& flag);

} // namespace Arguments
