#pragma once

#include <QString>

// Where the program keeps what is not a setting but must outlast a run (what was announced):
// $XDG_STATE_HOME/Spanwell, by default ~/.local/state/Spanwell. Made when something is first
// written there.
namespace StateFolder {

QString path();
// The history of readings in it.
QString historyFile();

} // namespace StateFolder
