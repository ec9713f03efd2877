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
    // When the last refresh of the account ended, with figures, a problem, or a pause that left
    // the service unasked; absent when that is not known.
    std::optional<Instant> checkedAt = std::nullopt;

    const QString& id() const { return account.id(); }
    // When the account was last checked: `checkedAt`, else when its figures were fetched.
    std::optional<Instant> lastCheck() const {
        if (checkedAt || !snapshot)
            return checkedAt;
        return snapshot->fetchedAt;
    }

    bool operator==(const Entry&) const = default;
};
