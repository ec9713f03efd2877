#include "accounts/AccountFile.h"

#include <QJsonDocument>
#include <QString>

#include <simdjson.h>

#include <string_view>

namespace {

constexpr std::string_view memberName = "oauthAccount";

std::optional<QJsonObject> withEmailAddress(const QJsonValue& account) {
    if (!account.toObject().value(QLatin1String("emailAddress")).isString())
        return std::nullopt;
    return account.toObject();
}

// QJsonDocument is laxer than the JSON grammar in places simdjson is not (".5", "1.", "\x",
// raw control characters and lone surrogates in strings, integers beyond 64 bits, deeper
// nesting), so what simdjson refuses is judged by Qt in full. Account files seldom need it.
std::optional<QJsonObject> signedInAccordingToQt(const QByteArray& contents) {
    return withEmailAddress(
        QJsonDocument::fromJson(contents).object().value(QLatin1String(memberName)));
}

// simdjson reads up to SIMDJSON_PADDING bytes past the end of a document. Bytes read from a
// file usually have that much room left in their allocation; only others are copied.
bool hasPadding(const QByteArray& contents) {
    // data_ptr() changes nothing here and detaches nothing; it only tells the room after the
    // bytes, which capacity() does not when the bytes start past the allocation's start.
    return const_cast<QByteArray&>(contents).data_ptr().freeSpaceAtEnd() >=
           qsizetype(simdjson::SIMDJSON_PADDING);
}

} // namespace

namespace AccountFile {

QString path(const QString& configDir, bool isDefault, const QString& home) {
    const QString folder = isDefault ? home : configDir;
    return folder + QLatin1Char('/') + QLatin1String(fileName);
}

std::optional<QJsonObject> signedInAccount(const QByteArray& contents) {
    QByteArrayView document = contents;
    // QJsonDocument lets a byte order mark stand before the document; simdjson does not.
    if (document.startsWith("\xEF\xBB\xBF"))
        document = document.sliced(3);
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    if (parser.parse(document.data(), size_t(document.size()), !hasPadding(contents)).get(root))
        return signedInAccordingToQt(contents);
    simdjson::dom::object members;
    if (root.get(members))
        return std::nullopt;
    // As in QJsonDocument, the last of several members with the name counts.
    std::optional<simdjson::dom::element> account;
    for (const simdjson::dom::key_value_pair member : members)
        if (member.key == memberName)
            account = member.value;
    if (!account || !account->is_object())
        return std::nullopt;
    // Only this small member is turned into Qt's objects; the rest of the file was merely
    // checked.
    return withEmailAddress(
        QJsonDocument::fromJson(QByteArray::fromStdString(simdjson::minify(*account))).object());
}

} // namespace AccountFile
