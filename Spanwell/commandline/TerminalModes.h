#pragma once

#include "commandline/Dispatch.h"
#include "store/StoreServices.h"

#include <QByteArray>

// The modes for terminals and status bars: what they print and the status they end with.
namespace TerminalModes {

struct Outcome {
    int exitStatus = 0;
    QByteArray output;
    QByteArray errors;
};

// The accounts as a table, a JSON document or a waybar line.
Outcome status(const Mode& mode, const StoreServices& services);
// The folder of the account best usable now, or the command that starts Claude Code in it.
Outcome best(const Mode& mode, const StoreServices& services);

} // namespace TerminalModes
