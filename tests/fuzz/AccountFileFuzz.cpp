#include "FuzzTarget.h"

#include "accounts/AccountFile.h"

#include <QJsonDocument>

// The account-file check against Qt's own parser. Whenever Qt reads the bytes as an object whose
// "oauthAccount" object has a string "emailAddress", the check gives that same object. Where Qt
// refuses the bytes, the check may be as strict as it likes, but must come back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray contents = fuzzInput(data, size);
    const std::optional<QJsonObject> account = AccountFile::signedInAccount(contents);

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(contents, &error);
    const QJsonValue expected = document.object().value(QLatin1String("oauthAccount"));
    if (error.error == QJsonParseError::NoError &&
        expected.toObject().value(QLatin1String("emailAddress")).isString())
        FUZZ_EXPECT(account == expected.toObject());
    return 0;
}
