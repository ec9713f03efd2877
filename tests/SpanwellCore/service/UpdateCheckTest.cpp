#include "service/UpdateCheck.h"
#include "service/HttpFetch.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScopedEnvironment.h"

#include <QTest>

using Answer = LoopbackHttpServer::Answer;
using MaybeUpdate = std::optional<UpdateInfo>;

namespace {

QByteArray feedDocument(const QByteArray& version, const QByteArray& build,
                        const QByteArray& url = "\"https://spanwell.app/download\"") {
    return "{\"version\":" + version + ",\"build\":" + build + ",\"url\":" + url + "}";
}

MaybeUpdate update(const QString& version, qint64 build,
                   const QString& url = QStringLiteral("https://spanwell.app/download")) {
    return UpdateInfo{version, build, QUrl(url)};
}

} // namespace

// The running build is 41 throughout.
class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void documents() {
        const QString accented = QStringLiteral("e\u0301").repeated(20);
        const QByteArray flags = QStringLiteral("\U0001F1EB\U0001F1F7").repeated(21).toUtf8();
        QList<std::pair<QByteArray, MaybeUpdate>> rows{
            {feedDocument("\"1.4\"", "42"), update("1.4", 42)},
            {feedDocument("\"1.4\"", "41"), std::nullopt},
            {R"({"notes":[1],"url":"https://spanwell.app/download","build":42,"version":"1.4",)"
             R"("build_date":null})",
             update("1.4", 42)},
            {feedDocument("\"1.4\"", "\"42\""), std::nullopt},
            // The whole part of the build counts.
            {feedDocument("\"1.4\"", "42.9"), update("1.4", 42)},
            {feedDocument("\"1.4\"", "41.99"), std::nullopt},
            {feedDocument("\"1.4\"", "1e300"), std::nullopt},
            // At most 20 characters as the user sees them.
            {feedDocument("\"12345678901234567890\"", "42"), update("12345678901234567890", 42)},
            {feedDocument("\"123456789012345678901\"", "42"), std::nullopt},
            {feedDocument('"' + accented.toUtf8() + '"', "42"), update(accented, 42)},
            {feedDocument('"' + flags + '"', "42"), std::nullopt},
            {feedDocument("\"\"", "42"), std::nullopt},
            {feedDocument("1.4", "42"), std::nullopt},
            {"<html></html>", std::nullopt},
            {"[" + feedDocument("\"1.4\"", "42") + "]", std::nullopt}};
        for (const char* url :
             {"https://get.spanwell.app/mac?from=41#top", "https://spanwell.app:8443",
              "https://evil.example@spanwell.app/", "https://spanwell.app/?a=@evil.example"})
            rows.append({feedDocument("\"2.0\"", "50", '"' + QByteArray(url) + '"'),
                         update("2.0", 50, QString::fromLatin1(url))});
        for (const char* url :
             {"https://notspanwell.app/download", "https://spanwell.app.evil.example/",
              "https://evil.example/spanwell.app", "https://spanwell.app@evil.example/",
              "http://spanwell.app/download", "HTTPS://spanwell.app/download",
              "https://Spanwell.app/download", "https://spanwell.app./download",
              "https://spanwell%2Eapp/download"})
            rows.append({feedDocument("\"2.0\"", "50", '"' + QByteArray(url) + '"'), std::nullopt});
        for (const auto& [document, result] : std::as_const(rows))
            QVERIFY2(UpdateCheck::parse(document, 41) == result, document.constData());
    }

    void feedReplies_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("announces");
        QTest::newRow("ok") << Answer::of(200, feedDocument("\"1.4\"", "42")) << true;
        QTest::newRow("other success") << Answer::of(203, feedDocument("\"1.4\"", "42")) << false;
        QTest::newRow("too large")
            << Answer::of(200, feedDocument("\"1.4\"", "42") +
                                   QByteArray(HttpFetch::maximumBodySize, ' '))
                   .unannounced()
            << false;
        QTest::newRow("not HTTP") << Answer::bytes("hello\r\n") << false;
    }
    void feedReplies() {
        QFETCH(Answer, answer);
        QFETCH(bool, announces);
        LoopbackHttpServer server;
        server.answer("/version.json", answer);
        QCOMPARE(UpdateCheck::fetch(41, server.origin() + QStringLiteral("/version.json"), 5000),
                 announces ? update("1.4", 42) : MaybeUpdate());
        QVERIFY(!server.requests().isEmpty());
        for (const LoopbackHttpServer::Request& request : server.requests())
            QVERIFY(request.values("Authorization").isEmpty());
    }

    void feedCanBeOverridden() {
        LoopbackHttpServer server;
        server.answer("/feed", Answer::of(200, feedDocument("\"1.4\"", "42")));
        ScopedEnvironment environment;
        environment.set("SPANWELL_UPDATE_FEED",
                        (server.origin() + QStringLiteral("/feed")).toLatin1());
        QCOMPARE(UpdateCheck::fetch(41), update("1.4", 42));
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "UpdateCheckTest.moc"
