#pragma once

#include <QString>

// What the desktop is asked to show: a title line and a sentence or two.
struct Notification {
    QString summary;
    QString body;

    bool operator==(const Notification&) const = default;
};

// One notification decided on, and what it tells.
struct Announcement {
    enum class Moment {
        // A limit has crossed the share set in the preferences.
        nearlyUsedUp,
        // A limit has reached 100 %.
        usedUp,
        // A blocked account can be used again.
        usableAgain,
        // A weekly limit resets within hours with much of it unused.
        resetsSoonUnused,
        // Anything else the program has to tell, about no account in particular.
        notice,
    };

    // The account's configuration folder.
    QString account;
    Moment moment = Moment::nearlyUsedUp;
    // The limit's title; empty for an account usable again.
    QString limit;
    Notification notification;
};
