#pragma once

#include "model/Account.h"
#include "model/FetchProblem.h"
#include "model/Snapshot.h"

#include <optional>

// One account's row in the store: the last known usage survives a failed refresh, beside the
// problem that refresh ran into.
struct Entry {
    Account account;
    std::optional<Snapshot> snapshot;
    std::optional<FetchProblem> problem;

    const QString& id() const { return account.id(); }

    bool operator==(const Entry&) const = default;
};
