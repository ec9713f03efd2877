#pragma once

#include "model/Instant.h"
#include "store/Entry.h"
#include "store/StoreServices.h"

#include <QList>

#include <optional>

// The figures the terminal modes show, fresh but cheap: a status bar asks every few seconds,
// the usage service must not be asked that often. They come from the snapshot cache, and from
// a refresh (which writes the cache) only when the newest cached figures are too old.
namespace FreshEntries {

// The tracked accounts, in discovery order, with the snapshots the cache holds for them. The
// cache keeps no problems, so none has one.
QList<Entry> cached(const StoreServices& services);

// When the newest of the entries' figures were fetched; absent when none has any.
std::optional<Instant> newestFetch(const QList<Entry>& entries);

// The newest figures are no older than `maxAgeSeconds`; with 0 they never are.
bool areFresh(const QList<Entry>& entries, Instant now, double maxAgeSeconds);

// One refresh of every tracked account by a store of its own, which writes the cache and asks
// the update feed nothing; the entries it ends with.
QList<Entry> refreshed(const StoreServices& services);

// The cached entries when they are fresh, else refreshed ones. Runs that find the figures
// too old at the same time refresh one after another, and a later one takes the figures an
// earlier one fetched if they are fresh by then.
QList<Entry> get(const StoreServices& services, double maxAgeSeconds);

} // namespace FreshEntries
