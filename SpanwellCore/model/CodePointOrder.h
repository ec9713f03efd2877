#pragma once

#include <QString>

// Texts in the order of their Unicode code points. QString's own comparison goes by UTF-16
// units, which puts characters above U+FFFF (stored as surrogate pairs, D800 to DFFF) before
// those from U+E000 to U+FFFF.
namespace CodePointOrder {

bool less(const QString& first, const QString& second);

} // namespace CodePointOrder
