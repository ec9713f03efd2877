#include "views/Expansion.h"

bool Expansion::isExpanded(const QString& id) const {
    if (expandAll)
        return true;
    const std::optional<QString> open = expanded ? expanded : initiallyExpanded;
    return open == id;
}

void Expansion::toggle(const QString& id) {
    const std::optional<QString> open = expanded ? expanded : initiallyExpanded;
    expanded = open == id ? QString() : id;
}
