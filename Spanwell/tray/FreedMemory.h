#pragma once

// The tray program runs all day and works in short bursts: a refresh every few minutes, a panel
// opened now and then. The C library keeps what a burst freed for the next one, in an arena of
// its own for each thread that ever allocated; these hand it back to the system instead.
namespace FreedMemory {

// Before the first worker starts: the workers then share one arena beside the interface
// thread's, rather than holding one each between refreshes.
void shareArenas();

// Returns the free pages of every arena to the system.
void giveBack();

} // namespace FreedMemory
