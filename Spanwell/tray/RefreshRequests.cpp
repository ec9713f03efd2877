#include "tray/RefreshRequests.h"

#include "store/Store.h"

RefreshRequests::RefreshRequests(Store& refreshedStore, Answer answerRequest, QObject* parent)
    : QObject(parent)
    , store(refreshedStore)
    , answer(std::move(answerRequest)) {
    connect(&store, &Store::refreshFinished, this, &RefreshRequests::refreshEnded);
}

void RefreshRequests::ask(quint64 ticket) {
    // A refresh that runs now started before the request; the store runs another after it.
    const int refreshes = store.isRefreshing() ? 2 : 1;
    if (!store.refresh()) {
        answer(ticket);
        return;
    }
    waiting.append({ticket, refreshes});
}

void RefreshRequests::refreshEnded() {
    QList<quint64> answered;
    QList<Waiting> still;
    for (Waiting request : std::as_const(waiting)) {
        if (--request.refreshes > 0)
            still.append(request);
        else
            answered.append(request.ticket);
    }
    waiting = still;
    for (const quint64 ticket : answered)
        answer(ticket);
}
