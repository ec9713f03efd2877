#pragma once

#include "store/Entry.h"
#include "store/StoreServices.h"
#include "store/UserSettings.h"

#include <QDeadlineTimer>
#include <QList>

// The figures the terminal modes show, fresh but cheap: a status bar asks every few seconds,
// the usage service must not be asked that often. They come from the snapshot cache, and from
// a refresh (which writes the cache) only when the newest cached figures are too old. Neither
// holds the accounts hidden in `settings`.
namespace FreshEntries {

// One refresh of every tracked account by a store of its own, which writes the cache and asks
// the update feed nothing; the entries it ends with. When it has not ended by `deadline`, what
// the accounts that answered brought, and the cached entries of the others, each with the
// problem that the service did not answer in time.
QList<Entry> refreshed(const StoreServices& services, UserSettings& settings,
                       QDeadlineTimer deadline = QDeadlineTimer::Forever);

// The cached entries when they are fresh, else refreshed ones, within 10 seconds. Runs that
// find the figures too old at the same time refresh one after another, and a later one takes
// the figures an earlier one fetched if they are fresh by then.
QList<Entry> get(const StoreServices& services, UserSettings& settings, double maxAgeSeconds);

} // namespace FreshEntries
