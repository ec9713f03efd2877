#pragma once

#include "accounts/FileSystem.h"

#include <QString>
#include <QTextStream>

#include <functional>

// The command-line check that asks Claude Code to renew every account's sign-in and reports
// each result on a line of its own.
namespace RenewalCheck {

inline constexpr double renewalTimeoutSeconds = 30;

// Renews one account's sign-in: its folder and whether that is the default folder in, success
// out. Blocks until the renewal has ended.
using Renewal = std::function<bool(const QString& configDir, bool isDefault)>;

// The product's renewal: `claude auth status` with a limit of renewalTimeoutSeconds.
Renewal claudeRenewal();

// For every account found in `home`, in discovery order and one after another: renews it,
// then writes its folder label (escaped for the terminal), a space and "ok" or "FAILED", and a
// line feed. Each line is flushed as soon as it is known. No accounts, no lines.
void run(const QString& home, const FileSystem& fileSystem, const Renewal& renew,
         QTextStream& output);

} // namespace RenewalCheck
