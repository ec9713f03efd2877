#pragma once

// A request to end the process (the session logging out, Ctrl+C in a terminal) ends the tray
// program through its event loop, as its own quit command does, so that everything it holds
// is released in order: the single-instance lock and socket above all.
namespace TerminationSignals {

// Call once the application object exists. SIGTERM, SIGINT and SIGHUP then quit it.
void quitApplicationOnThem();

} // namespace TerminationSignals
