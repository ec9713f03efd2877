#pragma once

#include "model/Calendar.h"
#include "model/Instant.h"
#include "store/Store.h"

#include <QDir>

#include <memory>

// Four made-up accounts laid out around an instant, for pictures of the panel that touch no
// real account: one with room everywhere, one blocked by its session limit, one with a used-up
// scoped weekly limit, and one whose session has not started; each with a made-up week of
// history for its charts.
namespace Demo {

// The accounts' entries and weeks, which need no application object: they can be made on
// another thread while it starts.
struct Accounts {
    QList<Entry> entries;
    QList<LimitHistory> recentUse;
};

// Whether the accounts' weeks are made: only an open row shows its week, and making them takes
// longer than making everything else.
enum class Weeks { made, leftOut };

Accounts accounts(Instant now, const QString& home = QDir::homePath(),
                  const Calendar& calendar = Calendar::current(), Weeks weeks = Weeks::made);

// A store holding them, with no services behind it.
std::unique_ptr<Store> store(Accounts accounts);

} // namespace Demo
