#include "accounts/AccountFile.h"
#include "support/TestRegistry.h"

#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

namespace {

// What Qt makes of an account file: its last top-level "oauthAccount", when that is an object
// with a string "emailAddress".
std::optional<QJsonObject> accountAsQtReadsIt(const QByteArray& document) {
    const QJsonObject account =
        QJsonDocument::fromJson(document).object().value(QLatin1String("oauthAccount")).toObject();
    if (!account.value(QLatin1String("emailAddress")).isString())
        return std::nullopt;
    return account;
}

// The same bytes with no room after them, with other bytes after them in their allocation, and
// starting further into their allocation than the room the check may read past the end.
QList<QByteArray> layouts(const QByteArray& document) {
    QByteArray followed = document + "\"}]garbage";
    followed.truncate(document.size());
    QByteArray trimmed = QByteArray(100, ' ') + document;
    trimmed.remove(0, 100);
    return {QByteArray(document.constData(), document.size()), followed, trimmed};
}

// Reads every layout of a document Qt accepts as Qt does.
bool readsAsQt(const QByteArray& document) {
    const std::optional<QJsonObject> expected = accountAsQtReadsIt(document);
    for (const QByteArray& bytes : layouts(document))
        if (AccountFile::signedInAccount(bytes) != expected)
            return false;
    return true;
}

QByteArray withAccount(const QByteArray& otherMember) {
    return R"({"oauthAccount":{"emailAddress":"ann@example.com"},"other":)" + otherMember + "}";
}

} // namespace

class AccountFileTest : public QObject {
    Q_OBJECT

private slots:
    void readsWhatQtReads_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("plain") << withAccount(R"({"/home/ann/p":{"history":["fix",1.5e3]}})");
        QTest::newRow("values") << QByteArray(
            "{\"oauthAccount\":{\"emailAddress\":\"a\\\"b\\\\c\\u0001é😀\\/\","
            R"("n":[0.1,-0.0,1e-320,)"
            R"(18446744073709551615,-9223372036854775808,1E+2,true,null,{},"\ud83d\ude00"]}})");
        QTest::newRow("last of two") << QByteArray(
            R"({"oauthAccount":{"emailAddress":"first"},"oauthAccount":{"emailAddress":"last"}})");
        QTest::newRow("escaped name")
            << QByteArray(R"({"oauth\u0041ccount":{"emailAddress":"e"}})");
        QTest::newRow("nested") << QByteArray(R"({"x":{"oauthAccount":{"emailAddress":"n"}}})");
        QTest::newRow("list") << QByteArray(R"({"oauthAccount":["a@b.c"]})");
        QTest::newRow("number address") << QByteArray(R"({"oauthAccount":{"emailAddress":1}})");
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + withAccount("1");
        QTest::newRow("spaces") << " \n\t" + withAccount("[ 1 , 2 ]") + "\r\n ";
        // Where Qt is laxer than the grammar.
        QTest::newRow("lax number in account")
            << QByteArray(R"({"oauthAccount":{"emailAddress":"a@b.c","n":.5}})");
        const QList<QByteArray> laxValues{".5",
                                          "-.5",
                                          "1.",
                                          "99999999999999999999999",
                                          R"("\x")",
                                          R"("\ud800")",
                                          "\"raw\ttab\x01\"",
                                          QByteArray(1023, '[') + "1" + QByteArray(1023, ']')};
        for (const QByteArray& value : laxValues)
            QTest::newRow(value.left(12).toPercentEncoding().constData()) << withAccount(value);
    }
    void readsWhatQtReads() {
        QFETCH(QByteArray, document);
        QVERIFY(QJsonDocument::fromJson(document).isObject());
        QVERIFY(readsAsQt(document));
    }

    void readsDamagedFilesQtAcceptsAsQt() {
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
            const bool qtAccepts = QJsonDocument::fromJson(damaged).isObject();
            if (qtAccepts && !readsAsQt(damaged))
                QFAIL(damaged.toPercentEncoding("{}:\"[],").constData());
        }
    }
};

SPANWELL_TEST(AccountFileTest)
#include "AccountFileTest.moc"
