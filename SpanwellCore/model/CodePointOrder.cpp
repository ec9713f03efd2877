#include "model/CodePointOrder.h"

#include <algorithm>

namespace {

// Moves the surrogates above every other unit, keeping the order within each group, so that
// comparing units compares code points.
char16_t rank(char16_t unit) {
    if (unit >= 0xE000)
        return static_cast<char16_t>(unit - 0x800);
    if (unit >= 0xD800)
        return static_cast<char16_t>(unit + 0x2000);
    return unit;
}

} // namespace

namespace CodePointOrder {

bool less(const QString& first, const QString& second) {
    return std::lexicographical_compare(
        first.cbegin(), first.cend(), second.cbegin(), second.cend(),
        [](QChar one, QChar other) { return rank(one.unicode()) < rank(other.unicode()); });
}

} // namespace CodePointOrder
