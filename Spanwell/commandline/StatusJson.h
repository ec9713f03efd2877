#pragma once

#include "model/Instant.h"
#include "store/Entry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The tracked accounts as one JSON document for other programs, in a shape that only grows:
// a field may be added, but none changes its meaning or goes away without a new `version`.
namespace StatusJson {

// 2: `problem` became an object that tells its kind and, for a rate limit, the next check.
inline constexpr int version = 2;

// The document, indented, ending in a line feed. Instants are RFC 3339 texts in UTC; absent
// values are null. `home` shortens the folders' labels.
QByteArray document(const QList<Entry>& entries, Instant now, const QString& home);

// An instant as RFC 3339 text in UTC with milliseconds, such as 2026-03-01T10:00:00.000Z.
QString rfc3339(Instant instant);

} // namespace StatusJson
