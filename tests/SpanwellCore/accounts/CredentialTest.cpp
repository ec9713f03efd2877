#include "accounts/Credential.h"

#include <QTest>

namespace {

// 2023-11-14 22:13:20 UTC, worked out independently of the millisecond conversion.
Instant november14() {
    return Instant::fromDateTime(QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC));
}

Credential tokenOnly(const QString& token) {
    return Credential{token, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
}

} // namespace

class CredentialTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<std::optional<Credential>>("expected");

        QTest::newRow("every field, with the tool's line end")
            << QByteArray(R"({"claudeAiOauth":{"accessToken":"sk-ant-oat01-x","refreshToken":"r",)"
                          R"("expiresAt":1700000000000,"refreshTokenExpiresAt":1700000000500.5,)"
                          R"("scopes":["user:inference"],"subscriptionType":"max",)"
                          R"("rateLimitTier":"default_claude_max_20x"}})"
                          "\n")
            << std::optional(Credential{QStringLiteral("sk-ant-oat01-x"), november14(),
                                        Instant::fromUnixSeconds(1700000000.5005),
                                        QStringLiteral("max"),
                                        QStringLiteral("default_claude_max_20x")});
        QTest::newRow("surrounding white space")
            << QByteArray(" \n\t{\"claudeAiOauth\":{\"accessToken\":\"t\"}}\r\n\n")
            << std::optional(tokenOnly(QStringLiteral("t")));
        QTest::newRow("times written as text, other fields of the wrong type")
            << QByteArray(R"({"claudeAiOauth":{"accessToken":"t","expiresAt":"1700000000000",)"
                          R"("refreshTokenExpiresAt":true,"subscriptionType":7,)"
                          R"("rateLimitTier":null}})")
            << std::optional(tokenOnly(QStringLiteral("t")));
        QTest::newRow("times beyond any calendar")
            << QByteArray(R"({"claudeAiOauth":{"accessToken":"t","expiresAt":1e300,)"
                          R"("refreshTokenExpiresAt":-9.2e18}})")
            << std::optional(tokenOnly(QStringLiteral("t")));
        QTest::newRow("vertical tab and form feed are not JSON's white space")
            << QByteArray("\v{\"claudeAiOauth\":{\"accessToken\":\"t\"}}\f")
            << std::optional<Credential>();
        QTest::newRow("empty token")
            << QByteArray(R"({"claudeAiOauth":{"accessToken":"","expiresAt":1}})")
            << std::optional<Credential>();
        QTest::newRow("no claudeAiOauth")
            << QByteArray(R"({"accessToken":"t"})") << std::optional<Credential>();
        QTest::newRow("something after the object")
            << QByteArray(R"({"claudeAiOauth":{"accessToken":"t"}} x)")
            << std::optional<Credential>();
    }

    void parse() {
        QFETCH(QByteArray, bytes);
        QFETCH(std::optional<Credential>, expected);
        QCOMPARE(Credential::parse(bytes), expected);
    }

    void isExpired_data() {
        QTest::addColumn<std::optional<Instant>>("expiresAt");
        QTest::addColumn<Instant>("at");
        QTest::addColumn<bool>("expired");
        const Instant expiry = november14();
        QTest::newRow("a millisecond before") << std::optional(expiry) << expiry - 0.001 << false;
        QTest::newRow("exactly at") << std::optional(expiry) << expiry << true;
        QTest::newRow("without an expiry") << std::optional<Instant>() << expiry + 1e9 << false;
    }

    void isExpired() {
        QFETCH(std::optional<Instant>, expiresAt);
        QFETCH(Instant, at);
        QFETCH(bool, expired);
        Credential credential = tokenOnly(QStringLiteral("t"));
        credential.expiresAt = expiresAt;
        QCOMPARE(credential.isExpired(at), expired);
    }
};

QTEST_GUILESS_MAIN(CredentialTest)
#include "CredentialTest.moc"
