#pragma once

#include "files/RegularFile.h"
#include "model/Account.h"

#include <QString>

#include <optional>

class QWidget;
class SignInFlow;
class Store;

// The one window in which an account is added or signed in again. It keeps its flow while it
// is open; closing it ends the flow's login and forgets both.
namespace SignInWindow {

// Claude Code's setup page, offered when Claude Code is not installed.
inline constexpr char installHelp[] = "https://docs.claude.com/en/docs/claude-code/setup";

// Opens the window for adding an account, or for signing `again` in again. While a login is
// waiting in an open window, that window only comes to the front; any other open window is
// closed and a new one with a fresh flow takes its place.
void show(Store* store, std::optional<Account> again);

// The open window and its flow; null when none is open.
QWidget* window();
SignInFlow* flow();

// Draws the window with its frame and title bar, off screen, at two pixels per point, in the
// phase "name", "waiting" or, for any other text, done, and writes it as a PNG file; the result
// says why when the picture could not be made or written.
RegularFile::Written picture(const QString& phase, const QString& path);

} // namespace SignInWindow
