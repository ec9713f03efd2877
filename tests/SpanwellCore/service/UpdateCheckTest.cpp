#include "service/UpdateCheck.h"
#include "service/HttpFetch.h"
#include "support/LoopbackHttpServer.h"

#include <QScopeGuard>
#include <QTest>

using MaybeUpdate = std::optional<UpdateInfo>;
Q_DECLARE_METATYPE(MaybeUpdate)

namespace {

QByteArray feedDocument(const QByteArray& version, const QByteArray& build, const QByteArray& url) {
    return "{\"version\":" + version + ",\"build\":" + build + ",\"url\":" + url + "}";
}

MaybeUpdate update(const QString& version, qint64 build, const QString& url) {
    return UpdateInfo{version, build, QUrl(url)};
}

const QByteArray download = "\"https://spanwell.app/download\"";
const QByteArray validFeed = feedDocument("\"1.4\"", "42", download);

} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void documents_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<MaybeUpdate>("result");
        const MaybeUpdate none;
        const QString page = QStringLiteral("https://spanwell.app/download");

        QTest::newRow("newer build") << validFeed << update("1.4", 42, page);
        QTest::newRow("same build") << feedDocument("\"1.4\"", "41", download) << none;
        QTest::newRow("other members ignored")
            << QByteArray("{\"notes\":[1],\"url\":\"https://spanwell.app/download\",\"build\":42,"
                          "\"version\":\"1.4\",\"build_date\":null}")
            << update("1.4", 42, page);

        QTest::newRow("build as text") << feedDocument("\"1.4\"", "\"42\"", download) << none;
        QTest::newRow("build fraction cut off")
            << feedDocument("\"1.4\"", "42.9", download) << update("1.4", 42, page);
        QTest::newRow("build fraction cut to the running build")
            << feedDocument("\"1.4\"", "41.99", download) << none;
        QTest::newRow("build beyond 64 bits") << feedDocument("\"1.4\"", "1e300", download) << none;

        QTest::newRow("version of 20 characters")
            << feedDocument("\"12345678901234567890\"", "42", download)
            << update("12345678901234567890", 42, page);
        QTest::newRow("version of 21 characters")
            << feedDocument("\"123456789012345678901\"", "42", download) << none;
        QTest::newRow("empty version") << feedDocument("\"\"", "42", download) << none;
        QTest::newRow("version as number") << feedDocument("1.4", "42", download) << none;
        const QString accented = QStringLiteral("e\u0301").repeated(20);
        QTest::newRow("20 accented letters written in 40 code units")
            << feedDocument('"' + accented.toUtf8() + '"', "42", download)
            << update(accented, 42, page);
        QTest::newRow("21 flags")
            << feedDocument('"' + QStringLiteral("\U0001F1EB\U0001F1F7").repeated(21).toUtf8() +
                                '"',
                            "42", download)
            << none;

        for (const char* url :
             {"https://get.spanwell.app/mac?from=41#top", "https://spanwell.app:8443",
              "https://evil.example@spanwell.app/", "https://spanwell.app/?a=@evil.example"})
            QTest::newRow(url) << feedDocument("\"2.0\"", "50", '"' + QByteArray(url) + '"')
                               << update("2.0", 50, QString::fromLatin1(url));
        const QList<const char*> foreign{
            "https://notspanwell.app/download",  "https://spanwell.app.evil.example/",
            "https://evil.example/spanwell.app", "https://spanwell.app@evil.example/",
            "http://spanwell.app/download",      "HTTPS://spanwell.app/download",
            "https://Spanwell.app/download",     "https://spanwell.app./download",
            "https://spanwell%2Eapp/download",   "https://[::1]/spanwell.app",
        };
        for (const char* url : foreign)
            QTest::newRow(url) << feedDocument("\"2.0\"", "50", '"' + QByteArray(url) + '"')
                               << none;

        QTest::newRow("not JSON") << QByteArray("<html></html>") << none;
        QTest::newRow("array") << QByteArray("[" + validFeed + "]") << none;
    }
    void documents() {
        QFETCH(QByteArray, document);
        QFETCH(MaybeUpdate, result);
        QCOMPARE(UpdateCheck::parse(document, 41), result);
    }

    void feedReplies_data() {
        QTest::addColumn<LoopbackHttpServer::Answer>("answer");
        QTest::addColumn<bool>("announces");
        using Answer = LoopbackHttpServer::Answer;
        QTest::newRow("ok") << Answer::of(200, validFeed) << true;
        QTest::newRow("other success") << Answer::of(203, validFeed) << false;
        QTest::newRow("too large")
            << Answer::of(200, validFeed + QByteArray(HttpFetch::maximumBodySize, ' '))
                   .unannounced()
            << false;
        QTest::newRow("no answer") << Answer::never() << false;
    }
    void feedReplies() {
        QFETCH(LoopbackHttpServer::Answer, answer);
        QFETCH(bool, announces);
        LoopbackHttpServer server;
        server.answer("/version.json", answer);
        const MaybeUpdate result =
            UpdateCheck::fetch(41, server.origin() + QStringLiteral("/version.json"), 500);
        QCOMPARE(result,
                 announces ? update("1.4", 42, "https://spanwell.app/download") : MaybeUpdate());

        const QList<LoopbackHttpServer::Request> requests = server.requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().method, QByteArray("GET"));
        QVERIFY(requests.first().values("Authorization").isEmpty());
    }

    void feedCanBeOverridden() {
        qunsetenv("SPANWELL_UPDATE_FEED");
        const auto unset = qScopeGuard([] { qunsetenv("SPANWELL_UPDATE_FEED"); });
        QCOMPARE(UpdateCheck::feed(), QStringLiteral("https://spanwell.app/version.json"));

        LoopbackHttpServer server;
        server.answer("/feed", LoopbackHttpServer::Answer::of(200, validFeed));
        qputenv("SPANWELL_UPDATE_FEED", (server.origin() + QStringLiteral("/feed")).toLatin1());
        QCOMPARE(UpdateCheck::fetch(41), update("1.4", 42, "https://spanwell.app/download"));
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "UpdateCheckTest.moc"
