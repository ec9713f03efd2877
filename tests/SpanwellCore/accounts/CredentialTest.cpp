#include "accounts/Credential.h"

#include <QTest>

namespace {

// 2023-11-14 22:13:20 UTC, worked out independently of the millisecond conversion.
const Instant november14 =
    Instant::fromDateTime(QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC));

Credential tokenOnly(const QString& token) {
    return Credential{token, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
}

} // namespace

class CredentialTest : public QObject {
    Q_OBJECT

private slots:
    void parse() {
        const Credential full{QStringLiteral("sk-ant-oat01-x"), november14,
                              Instant::fromUnixSeconds(1700000000.5005), QStringLiteral("max"),
                              QStringLiteral("default_claude_max_20x")};
        const std::pair<QByteArray, std::optional<Credential>> rows[] = {
            // Every field, with the keychain tool's line end.
            {R"({"claudeAiOauth":{"accessToken":"sk-ant-oat01-x","refreshToken":"r",)"
             R"("expiresAt":1700000000000,"refreshTokenExpiresAt":1700000000500.5,)"
             R"("scopes":["user:inference"],"subscriptionType":"max",)"
             R"("rateLimitTier":"default_claude_max_20x"}})"
             "\n",
             full},
            {" \n\t{\"claudeAiOauth\":{\"accessToken\":\"t\"}}\r\n\n", tokenOnly("t")},
            // Times written as text, other fields of the wrong type, times beyond any calendar.
            {R"({"claudeAiOauth":{"accessToken":"t","expiresAt":"1700000000000",)"
             R"("refreshTokenExpiresAt":true,"subscriptionType":7,"rateLimitTier":null}})",
             tokenOnly("t")},
            {R"({"claudeAiOauth":{"accessToken":"t","expiresAt":1e300,)"
             R"("refreshTokenExpiresAt":-9.2e18}})",
             tokenOnly("t")},
            // Vertical tab and form feed are not white space in JSON.
            {"\v{\"claudeAiOauth\":{\"accessToken\":\"t\"}}\f", std::nullopt},
            {R"({"claudeAiOauth":{"accessToken":"","expiresAt":1}})", std::nullopt},
            {R"({"accessToken":"t"})", std::nullopt},
            {R"({"claudeAiOauth":{"accessToken":"t"}} x)", std::nullopt}};
        for (const auto& [bytes, expected] : rows)
            QVERIFY2(Credential::parse(bytes) == expected, bytes.constData());
    }

    void expiresAtItsInstant() {
        Credential credential = tokenOnly(QStringLiteral("t"));
        QVERIFY(!credential.isExpired(november14 + 1e9));
        credential.expiresAt = november14;
        QVERIFY(!credential.isExpired(november14 - 0.001));
        QVERIFY(credential.isExpired(november14));
    }
};

QTEST_GUILESS_MAIN(CredentialTest)
#include "CredentialTest.moc"
