#include "store/NetworkChild.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpanwellProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const HttpFetch::Headers signIn{{"Authorization", "Bearer token"}, {"User-Agent", "Spanwell/0"}};

QByteArray headerValue(const HttpFetch::Response& response, const QByteArray& name) {
    for (const auto& [headerName, value] : response.headers)
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

} // namespace

// The tray program's calls over the network, made by a child of the program: they come back as
// the same call made in the program would, each to its own caller when many ask at once, and a
// child that cannot serve them ends them with a sentence instead of a wait.
class NetworkChildTest : public QObject {
    Q_OBJECT

private slots:
    void answersComeBackAsMadeHere() {
        LoopbackHttpServer server;
        QByteArray body("\0\xff binary and Grüße ·…", 28);
        server.answer(
            "/slow",
            LoopbackHttpServer::Answer::of(429, "slow down").withHeader("Retry-After", "120"));
        server.answer("/body", LoopbackHttpServer::Answer::of(200, body).after(200));
        const auto child = NetworkChild::make(SpanwellProcess::path());

        for (const char* target : {"/slow", "/body", "/missing"}) {
            const QUrl address(server.origin() + target);
            const HttpFetch::Outcome here = HttpFetch::get(address, signIn, 5000);
            const HttpFetch::Outcome there = child->get(address, signIn, 5000);
            const auto& expected = std::get<HttpFetch::Response>(here);
            const auto* answered = std::get_if<HttpFetch::Response>(&there);
            QVERIFY(answered);
            QCOMPARE(answered->status, expected.status);
            QCOMPARE(answered->body, expected.body);
            QCOMPARE(headerValue(*answered, "Retry-After"), headerValue(expected, "Retry-After"));
        }
        // It sends what the program would.
        QCOMPARE(server.requests().last().headers, server.requests().at(4).headers);
        // A plain http call with a sign-in goes nowhere but this computer, there as here.
        const QUrl elsewhere("http://192.0.2.1/usage");
        QCOMPARE(child->get(elsewhere, signIn, 5000), HttpFetch::get(elsewhere, signIn, 5000));

        // Answered in the reverse order of asking, each to its own caller.
        QList<QFuture<HttpFetch::Outcome>> calls;
        for (int call = 0; call < 8; ++call) {
            const QByteArray target = "/call" + QByteArray::number(call);
            server.answer(target,
                          LoopbackHttpServer::Answer::of(200, target).after(50 * (8 - call)));
            calls.append(QtConcurrent::run([&child, &server, target] {
                return child->get(QUrl(server.origin() + target), signIn, 5000);
            }));
        }
        for (int call = 0; call < 8; ++call)
            QCOMPARE(std::get<HttpFetch::Response>(calls[call].result()).body,
                     "/call" + QByteArray::number(call));
    }

    void aChildThatCannotServeEndsTheCall_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::newRow("no program") << QByteArray();
        QTest::newRow("ends at once") << QByteArray("exit 0\n");
        QTest::newRow("answers what is no answer")
            << QByteArray("printf '\\000\\000\\000\\003abc'\nsleep 5\n");
        QTest::newRow("answers a frame larger than any")
            << QByteArray("printf '\\377\\377\\377\\377'\n");
    }
    void aChildThatCannotServeEndsTheCall() {
        QFETCH(QByteArray, script);
        TemporaryHome home;
        const QString program = script.isEmpty()
                                    ? home.pathOf("missing")
                                    : home.writeExecutable("child", StandIn::script(script));
        const auto child = NetworkChild::make(program);

        const HttpFetch::Outcome outcome = child->get(QUrl("http://127.0.0.1:9/"), {}, 1000);

        QCOMPARE(outcome,
                 HttpFetch::Outcome(HttpFetch::TransportError{"The request could not be made."}));
    }
};

QTEST_GUILESS_MAIN(NetworkChildTest)
#include "NetworkChildTest.moc"
