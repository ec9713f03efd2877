#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// Edits one member of a JSON object in the text a person keeps, byte for byte around it: the
// other members, their order, the spacing and the line breaks stay as they were, which a
// document parsed and written again would not keep. Every edit is read back: the result holds
// exactly the members it held before with the one change, or there is no result.
namespace JsonObjectText {

// `key` set in the text's object: its value replaced where the object has the key once, else
// the member added after the last one, on a line of its own indented as the others are (two
// spaces in an empty object), or on the same line where the members share one. `valueText`
// gives the value's text for a member indented by its argument (empty for members that share
// a line). Absent when the text is no JSON object, the key appears more than once, or the
// value's text is no JSON value.
std::optional<QByteArray> set(const QByteArray& text, const QString& key,
                              const std::function<QByteArray(QByteArrayView indent)>& valueText);

// The object without the member `key`, together with the comma and the spacing that came with
// it: removing what `set` added to an object gives back its text. Absent when the text is no
// JSON object, or the key does not appear exactly once.
std::optional<QByteArray> remove(const QByteArray& text, const QString& key);

} // namespace JsonObjectText
