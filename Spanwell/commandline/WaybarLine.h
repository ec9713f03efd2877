#pragma once

#include "model/Instant.h"
#include "store/Entry.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The one line of JSON that waybar's custom modules read: `text` for the bar, `tooltip` with a
// line per account, `class` for the bar's style sheet ("all-usable", "some-blocked" or
// "none-usable"), `alt`, the same name, for the icon waybar picks, and `percentage`, the
// average session use.
namespace WaybarLine {

// What a bar shows: the usable accounts of all, and the average session use, "2/3 · 52%".
QString summary(const QList<Entry>& entries, Instant now);

// The line, ending in a line feed. Waybar reads both texts as Pango markup, so everything from
// outside has its markup characters escaped as well as its control characters.
QByteArray line(const QList<Entry>& entries, Instant now);

} // namespace WaybarLine
