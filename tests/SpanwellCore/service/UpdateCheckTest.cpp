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

// The running build is 41 throughout. That an announced build is newer and its page an https
// address on the product's domain, whatever the document, the fuzz target asserts; here are
// the documents it cannot judge.
class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void documents_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<MaybeUpdate>("result");
        const QString accented = QStringLiteral("e\u0301").repeated(20);
        QTest::newRow("other keys beside")
            << QByteArray(
                   R"({"notes":[1],"url":"https://spanwell.app/download","build":42,"version":"1.4",)"
                   R"("build_date":null})")
            << update("1.4", 42);
        QTest::newRow("build as text") << feedDocument("\"1.4\"", "\"42\"") << MaybeUpdate();
        // The whole part of the build counts.
        QTest::newRow("fraction of a build")
            << feedDocument("\"1.4\"", "42.9") << update("1.4", 42);
        // At most 20 characters as the user sees them.
        QTest::newRow("20 characters")
            << feedDocument("\"12345678901234567890\"", "42") << update("12345678901234567890", 42);
        QTest::newRow("21 characters")
            << feedDocument("\"123456789012345678901\"", "42") << MaybeUpdate();
        QTest::newRow("20 characters of two code points")
            << feedDocument('"' + accented.toUtf8() + '"', "42") << update(accented, 42);
        QTest::newRow("empty version") << feedDocument("\"\"", "42") << MaybeUpdate();
        QTest::newRow("version as a number") << feedDocument("1.4", "42") << MaybeUpdate();
        QTest::newRow("not an object")
            << "[" + feedDocument("\"1.4\"", "42") + "]" << MaybeUpdate();
        for (const char* url :
             {"https://get.spanwell.app/mac?from=41#top", "https://spanwell.app:8443",
              "https://evil.example@spanwell.app/", "https://spanwell.app/?a=@evil.example"})
            QTest::addRow("%s", url) << feedDocument("\"2.0\"", "50", '"' + QByteArray(url) + '"')
                                     << update("2.0", 50, QString::fromLatin1(url));
        // A browser takes each for the product's page, but the feed writes scheme and host in
        // lower case; the fuzz target, which sees the address as read, cannot tell them apart.
        for (const char* url : {"HTTPS://spanwell.app/download", "https://Spanwell.app/download",
                                "https://spanwell%2Eapp/download"})
            QTest::addRow("%s", url)
                << feedDocument("\"2.0\"", "50", '"' + QByteArray(url) + '"') << MaybeUpdate();
    }
    void documents() {
        QFETCH(QByteArray, document);
        QFETCH(MaybeUpdate, result);
        QVERIFY(UpdateCheck::parse(document, 41) == result);
    }

    // The feed is the one the environment names.
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
        server.answer("/feed", answer);
        ScopedEnvironment environment;
        environment.set("SPANWELL_UPDATE_FEED",
                        (server.origin() + QStringLiteral("/feed")).toLatin1());
        QCOMPARE(UpdateCheck::fetch(HttpFetch::get, 41),
                 announces ? update("1.4", 42) : MaybeUpdate());
        QVERIFY(!server.requests().isEmpty());
        // The program says who asks, as to the usage service.
        QCOMPARE(server.requests().first().values("User-Agent"), {HttpFetch::userAgent()});
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "UpdateCheckTest.moc"
