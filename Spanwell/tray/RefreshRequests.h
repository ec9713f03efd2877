#pragma once

#include <QList>
#include <QObject>

#include <functional>

class Store;

// Refreshes that other runs of the program ask the tray program for. Each is answered once a
// refresh that started after it was asked has ended: when one runs already, the one after it.
class RefreshRequests : public QObject {
    Q_OBJECT

public:
    using Answer = std::function<void(quint64 ticket)>;

    RefreshRequests(Store& store, Answer answer, QObject* parent = nullptr);

    void ask(quint64 ticket);

private:
    struct Waiting {
        quint64 ticket;
        // Refreshes still to end before the answer.
        int refreshes;
    };

    void refreshEnded();

    Store& store;
    Answer answer;
    QList<Waiting> waiting;
};
