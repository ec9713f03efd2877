#pragma once

#include <QString>

#include <optional>

// Reads what Claude Code's login prints: text meant for a terminal, with colour and cursor
// sequences and carriage returns. Pure functions; safe from any thread.
namespace LoginOutput {

// The hosts under which the sign-in pages are served; sub-domains count too.
inline constexpr const char* allowedSignInHosts[] = {"claude.com", "claude.ai", "anthropic.com"};

// The first https address in the text on an allowed host, exactly as written (a parsed URL
// would lower-case the host and re-encode the rest), looked for once every terminal sequence
// is gone: a colour or dim sequence right after the address, or a hyperlink sequence around
// it, would otherwise run into it.
std::optional<QString> signInURL(const QString& output);
// Without any terminal sequence: control sequences (colours, cursor, erasing), operating-system
// commands (hyperlinks, titles), device-control strings and two-character escapes.
QString withoutTerminalSequences(const QString& output);
// Without terminal control sequences, carriage returns turned into line feeds.
QString plain(const QString& output);
// The last non-blank line that is not the prompt for the sign-in code.
std::optional<QString> lastLine(const QString& output);

} // namespace LoginOutput
