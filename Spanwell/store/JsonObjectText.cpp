#include "store/JsonObjectText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

namespace {

struct Member {
    QString key;
    qsizetype keyStart = 0;
    qsizetype valueStart = 0;
    // Just past the value's last character, before any spacing that follows it.
    qsizetype valueEnd = 0;
};

// Where the object's braces and members lie in its text.
struct Layout {
    qsizetype open = 0;
    qsizetype close = 0;
    QList<Member> members;
};

bool isSpace(char character) {
    return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

qsizetype skipSpace(const QByteArray& text, qsizetype at) {
    while (at < text.size() && isSpace(text.at(at)))
        ++at;
    return at;
}

// Just past the string that opens at `at`; -1 when it does not end.
qsizetype endOfString(const QByteArray& text, qsizetype at) {
    for (qsizetype index = at + 1; index < text.size(); ++index) {
        if (text.at(index) == '\\')
            ++index;
        else if (text.at(index) == '"')
            return index + 1;
    }
    return -1;
}

// The comma or closing brace that ends the member whose value starts at `at`; -1 for none.
qsizetype endOfValue(const QByteArray& text, qsizetype at) {
    int depth = 0;
    while (at < text.size()) {
        const char character = text.at(at);
        if (character == '"') {
            at = endOfString(text, at);
            if (at < 0)
                return -1;
            continue;
        }
        if (character == '{' || character == '[') {
            ++depth;
        } else if (character == '}' || character == ']') {
            if (depth == 0)
                return at;
            --depth;
        } else if (character == ',' && depth == 0) {
            return at;
        }
        ++at;
    }
    return -1;
}

std::optional<QJsonObject> parsedObject(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// One JSON value of any kind, which a document holds only inside an array.
std::optional<QJsonValue> parsedValue(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson('[' + text + ']', &error);
    if (error.error != QJsonParseError::NoError || document.array().size() != 1)
        return std::nullopt;
    return document.array().at(0);
}

// Only a text that Qt read as an object is taken apart, so its structure is known to be sound.
std::optional<Layout> layout(const QByteArray& text) {
    Layout found;
    qsizetype at = skipSpace(text, 0);
    if (at >= text.size() || text.at(at) != '{')
        return std::nullopt;
    found.open = at++;
    for (;;) {
        at = skipSpace(text, at);
        if (at >= text.size())
            return std::nullopt;
        if (text.at(at) == '}') {
            found.close = at;
            return found;
        }
        if (text.at(at) == ',') {
            ++at;
            continue;
        }
        if (text.at(at) != '"')
            return std::nullopt;
        Member member;
        member.keyStart = at;
        at = endOfString(text, at);
        const std::optional<QJsonValue> key =
            at < 0 ? std::nullopt : parsedValue(text.mid(member.keyStart, at - member.keyStart));
        at = skipSpace(text, std::max<qsizetype>(at, 0));
        if (!key || at >= text.size() || text.at(at) != ':')
            return std::nullopt;
        member.key = key->toString();
        member.valueStart = skipSpace(text, at + 1);
        at = endOfValue(text, member.valueStart);
        if (at < 0)
            return std::nullopt;
        member.valueEnd = at;
        while (member.valueEnd > member.valueStart && isSpace(text.at(member.valueEnd - 1)))
            --member.valueEnd;
        found.members.append(member);
    }
}

QList<qsizetype> indexesOf(const Layout& found, const QString& key) {
    QList<qsizetype> indexes;
    for (qsizetype index = 0; index < found.members.size(); ++index)
        if (found.members.at(index).key == key)
            indexes.append(index);
    return indexes;
}

QByteArray quotedKey(const QString& key) {
    const QByteArray array = QJsonDocument(QJsonArray{key}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// The result only when it reads as `expected`.
std::optional<QByteArray> checked(QByteArray edited, const QJsonObject& expected) {
    if (parsedObject(edited) != expected)
        return std::nullopt;
    return edited;
}

} // namespace

namespace JsonObjectText {

std::optional<QByteArray> set(const QByteArray& text, const QString& key,
                              const std::function<QByteArray(QByteArrayView indent)>& valueText) {
    const std::optional<QJsonObject> before = parsedObject(text);
    const std::optional<Layout> found = before ? layout(text) : std::nullopt;
    if (!found)
        return std::nullopt;
    const QList<qsizetype> existing = indexesOf(*found, key);
    if (existing.size() > 1)
        return std::nullopt;

    // The first member's line tells how the members are laid out.
    QByteArray indent = "  ";
    bool ownLines = true;
    if (!found->members.isEmpty()) {
        const qsizetype keyStart = found->members.first().keyStart;
        const qsizetype lineBreak = text.lastIndexOf('\n', keyStart - 1);
        ownLines = lineBreak > found->open;
        indent = ownLines ? text.mid(lineBreak + 1, keyStart - lineBreak - 1) : QByteArray();
    }
    const QByteArray value = valueText(indent);
    const std::optional<QJsonValue> parsed = parsedValue(value);
    if (!parsed)
        return std::nullopt;

    QByteArray edited = text;
    const QByteArray member = quotedKey(key) + ": " + value;
    if (!existing.isEmpty()) {
        const Member& old = found->members.at(existing.first());
        edited.replace(old.valueStart, old.valueEnd - old.valueStart, value);
    } else if (found->members.isEmpty()) {
        edited.replace(found->open + 1, found->close - found->open - 1,
                       '\n' + indent + member + '\n');
    } else {
        edited.insert(found->members.last().valueEnd,
                      ownLines ? ",\n" + indent + member : ", " + member);
    }
    QJsonObject expected = *before;
    expected.insert(key, *parsed);
    return checked(edited, expected);
}

std::optional<QByteArray> remove(const QByteArray& text, const QString& key) {
    const std::optional<QJsonObject> before = parsedObject(text);
    const std::optional<Layout> found = before ? layout(text) : std::nullopt;
    const QList<qsizetype> existing = found ? indexesOf(*found, key) : QList<qsizetype>();
    if (existing.size() != 1)
        return std::nullopt;
    const QList<Member>& members = found->members;
    const qsizetype index = existing.first();
    QByteArray edited = text;
    if (members.size() == 1)
        edited.remove(found->open + 1, found->close - found->open - 1);
    else if (index > 0)
        // From the end of the member before, so that the comma goes with it.
        edited.remove(members.at(index - 1).valueEnd,
                      members.at(index).valueEnd - members.at(index - 1).valueEnd);
    else
        edited.remove(members.at(0).keyStart, members.at(1).keyStart - members.at(0).keyStart);
    QJsonObject expected = *before;
    expected.remove(key);
    return checked(edited, expected);
}

} // namespace JsonObjectText
