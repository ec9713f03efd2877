#pragma once

#include <QString>

#include <optional>

// Which account rows of the panel are open. At most one row is open at a time, unless every
// row is; a picture can name the row that starts open, until the user clicks one.
struct Expansion {
    bool expandAll = false;
    std::optional<QString> initiallyExpanded;
    // Absent until the user first clicks a row; the empty text means no row.
    std::optional<QString> expanded;

    bool isExpanded(const QString& id) const;
    // Opens the row `id`, or closes it when it is the open one.
    void toggle(const QString& id);
    // Opens the row `id`, and closes the others.
    void open(const QString& id) { expanded = id; }

    bool operator==(const Expansion&) const = default;
};
