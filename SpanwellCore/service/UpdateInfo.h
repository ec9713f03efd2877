#pragma once

#include <QString>
#include <QUrl>

// A newer build of the program that the update feed announced.
struct UpdateInfo {
    // The display text of the newer version, 1 to 20 characters.
    QString version;
    // Always greater than the running build.
    qint64 build = 0;
    // The download page: always an "https" address on the product's domain.
    QUrl url;

    bool operator==(const UpdateInfo&) const = default;
};
