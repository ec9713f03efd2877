#include "FuzzTarget.h"

#include "store/JsonObjectText.h"

#include <QJsonDocument>
#include <QJsonObject>

// A settings.json as a person keeps it. Whatever the text, an edit reads back as exactly its
// one change or is refused; a JSON object without the member always takes it, and taking it out
// again gives back the text byte for byte wherever the object had members.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = fuzzInput(data, size);
    const QString key = QStringLiteral("statusLine");
    const std::optional<QByteArray> added = JsonObjectText::set(text, key, [](QByteArrayView in) {
        return "{\"type\": \"command\",\n" + in.toByteArray() + "\"command\": \"x\"}";
    });
    JsonObjectText::remove(text, key);
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        document.object().contains(key))
        return 0;
    FUZZ_EXPECT(added &&
                (document.object().isEmpty() || JsonObjectText::remove(*added, key) == text));
    return 0;
}
