#include "accounts/JsonSkim.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTest>

namespace {

const QByteArray key = "oauthAccount";

// The skim must agree with the full parser on every document: whether it is an object, and
// what the member holds.
bool agreesWithFullParser(const QByteArray& document) {
    const JsonSkim::Member member = JsonSkim::topLevelMember(document, key);
    const QJsonDocument parsed = QJsonDocument::fromJson(document);
    if (member.validObject != parsed.isObject())
        return false;
    if (!parsed.isObject())
        return true;
    const QJsonValue expected = parsed.object().value(QString::fromLatin1(key));
    if (member.value.has_value() != !expected.isUndefined())
        return false;
    if (!member.value)
        return true;
    const QByteArray wrapped = "[" + member.value->toByteArray() + "]";
    return QJsonDocument::fromJson(wrapped).array().at(0) == expected;
}

QByteArray nested(int depth) {
    return "{\"a\":" + QByteArray(depth - 1, '[') + "1" + QByteArray(depth - 1, ']') + "}";
}

} // namespace

class JsonSkimTest : public QObject {
    Q_OBJECT

private slots:
    void agreesWithTheFullParser_data() {
        QTest::addColumn<QByteArray>("document");
        const QList<QByteArray> documents{
            R"({"oauthAccount":{"emailAddress":"a@b.c"},"projects":{"x":[1,2.5,-0,1E+2,true]}})",
            R"(  {"oauthAccount" : [1, {"x": null}] }  )",
            R"({"oauthAccount":1,"oauthAccount":{"emailAddress":"last"}})",
            R"({"oauth\u0041ccount":{"emailAddress":"escaped key"}})",
            R"({"nested":{"oauthAccount":{"emailAddress":"not top level"}}})",
            R"({"a":"tab	and raw control \u00e9 \ud800 é 😀"})",
            "\xEF\xBB\xBF{\"oauthAccount\":\"after a byte order mark\"}",
            R"({"a":"\x"})",
            "{\"a\":\"\xED\xA0\x80\"}",
            "{\"a\":\"\xC0\x80\"}",
            "{\"a\":\"\xF4\x90\x80\x80\"}",
            "{\"a\":\"\xE2\x82\"}",
            R"({"a":1.})",
            R"({"a":-.5})",
            R"({"a":.5})",
            R"({"a":+1})",
            R"({"a":01})",
            R"({"a":-})",
            R"({"a":1e})",
            R"({"a":1e999})",
            R"({"a":1.5e-400})",
            R"({"a":1e-320})",
            R"({"a":99999999999999999999999})",
            "{\"a\":" + QByteArray(310, '9') + "}",
            "{\"a\":1" + QByteArray(400, '0') + ".5}",
            R"({"a":1,})",
            R"({"a":[1,]})",
            R"({"a":tru})",
            R"({"a":nulll})",
            R"({"a":[]}x)",
            R"([{"oauthAccount":1}])",
            R"("text")",
            "",
            "   ",
            R"({"a")",
            R"({"a":1)",
            R"({,})",
            "{\"a\":\"\\u12\"}",
            nested(1024),
            nested(1025),
        };
        for (const QByteArray& document : documents)
            QTest::newRow(document.left(40).toPercentEncoding("{}:\"[],").constData()) << document;
    }
    void agreesWithTheFullParser() {
        QFETCH(QByteArray, document);
        QVERIFY(agreesWithFullParser(document));
    }

    void agreesOnDamagedDocuments() {
        const QByteArray original =
            R"({"oauthAccount":{"emailAddress":"ann@example.com","organizationName":"Ä Co"},)"
            "\"projects\":{\"/home/ann/p\":{\"history\":[\"fix "
            "\\\"it\\\"\\n\",1.5e3,-2,null,false]}}}";
        const QByteArray alphabet = "{}[]\":,\\ 0123456789.eE+-tfnul\x80\xC3\xA9";
        QRandomGenerator random(20261206);
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = original;
            for (int change = random.bounded(1, 4); change > 0; --change) {
                const int at = random.bounded(damaged.size());
                const char replacement = alphabet.at(random.bounded(alphabet.size()));
                switch (random.bounded(3)) {
                case 0:
                    damaged[at] = replacement;
                    break;
                case 1:
                    damaged.insert(at, replacement);
                    break;
                default:
                    damaged.remove(at, 1);
                }
            }
            if (!agreesWithFullParser(damaged))
                QFAIL(damaged.toPercentEncoding("{}:\"[],").constData());
        }
    }
};

QTEST_GUILESS_MAIN(JsonSkimTest)
#include "JsonSkimTest.moc"
