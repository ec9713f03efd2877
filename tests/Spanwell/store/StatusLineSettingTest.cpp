#include "store/StatusLineSetting.h"
#include "support/TemporaryHome.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using Outcome = StatusLineSetting::Outcome;

namespace {

// A program path that must be quoted for the shell, as the command shows.
const QString program = QStringLiteral("/opt/Span well/spanwell");
const QByteArray command = "'/opt/Span well/spanwell' --statusline";

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

} // namespace

class StatusLineSettingTest : public QObject {
    Q_OBJECT

private slots:
    // Install adds exactly the setting, laid out as the file is, and keeps the file's mode and a
    // link in its place; a second install changes nothing; remove gives back what was there, and
    // takes away a file install made.
    // Files Spanwell cannot edit whole are left as they were, and say why.
    void installAndRemove_data() {
        QTest::addColumn<QByteArray>("before");
        // Where settings.json links to, below the home folder; empty for no link.
        QTest::addColumn<QString>("linkTo");
        QTest::addColumn<Outcome>("installed");
        QTest::addColumn<QByteArray>("afterInstall");
        QTest::addColumn<Outcome>("removed");
        // A null text for no file.
        QTest::addColumn<QByteArray>("afterRemove");
        const QByteArray setting =
            "{\n    \"type\": \"command\",\n    \"command\": \"" + command + "\"\n  }";
        const QByteArray made = "{\n  \"statusLine\": " + setting + "\n}\n";
        const QByteArray keys = "{\n    \"model\": \"opus\",\n    \"env\": {\"A\": \"1\"},\n"
                                "    \"alwaysThinkingEnabled\": true\n}\n";
        const QByteArray own = R"({"statusLine": {"type": "command", "command": "~/line.sh"}})";
        QTest::newRow("no file") << QByteArray() << QString() << Outcome::added << made
                                 << Outcome::removed << QByteArray();
        QTest::newRow("other keys") << keys << QString() << Outcome::added
                                    << keys.chopped(3) +
                                           ",\n    \"statusLine\": {\n        "
                                           "\"type\": \"command\",\n        "
                                           "\"command\": \"" +
                                           command + "\"\n    }\n}\n"
                                    << Outcome::removed << keys;
        QTest::newRow("one line")
            << QByteArray(R"({"model": "opus"})") << QString() << Outcome::added
            << "{\"model\": \"opus\", \"statusLine\": {\"type\": \"command\", \"command\": \"" +
                   command + "\"}}"
            << Outcome::removed << QByteArray(R"({"model": "opus"})");
        QTest::newRow("link to a file of the user's")
            << QByteArray("{}") << "dotfiles/claude.json" << Outcome::added
            << "{\n  \"statusLine\": " + setting + "\n}" << Outcome::removed << QByteArray("{}");
        QTest::newRow("a status line of its own")
            << own << QString() << Outcome::ownStatusLine << own << Outcome::notThere << own;
        QTest::newRow("invalid JSON")
            << QByteArray("{\"model\": \"opus\",}\n") << QString() << Outcome::notJsonObject
            << QByteArray("{\"model\": \"opus\",}\n") << Outcome::notJsonObject
            << QByteArray("{\"model\": \"opus\",}\n");
        QTest::newRow("link to nothing")
            << QByteArray() << "dotfiles/gone.json" << Outcome::notUsersFile << QByteArray()
            << Outcome::notUsersFile << QByteArray();
    }
    void installAndRemove() {
        QFETCH(QByteArray, before);
        QFETCH(QString, linkTo);
        QFETCH(Outcome, installed);
        QFETCH(QByteArray, afterInstall);
        QFETCH(Outcome, removed);
        QFETCH(QByteArray, afterRemove);
        TemporaryHome home;
        const QString folder = home.makeFolder(".claude-work");
        const QString settings = folder + "/settings.json";
        const QString file = home.pathOf(linkTo.isEmpty() ? ".claude-work/settings.json" : linkTo);
        if (!before.isNull())
            home.writeFile(file.mid(home.path().size() + 1), before);
        // A mode other than a new file's, which every write keeps.
        ::chmod(QFile::encodeName(file).constData(), 0600);
        if (!linkTo.isEmpty())
            QVERIFY(QFile::link(file, settings));
        const bool isLink = QFileInfo(settings).isSymLink();

        QCOMPARE(StatusLineSetting::install(folder, StatusLineSetting::command(program)),
                 installed);
        QCOMPARE(readFile(file), afterInstall);
        QCOMPARE(StatusLineSetting::isInstalled(folder), StatusLineSetting::succeeded(installed));
        if (StatusLineSetting::succeeded(installed))
            QCOMPARE(StatusLineSetting::install(folder, StatusLineSetting::command(program)),
                     Outcome::alreadyThere);
        QCOMPARE(StatusLineSetting::remove(folder), removed);
        QCOMPARE(readFile(file), afterRemove);
        QCOMPARE(QFileInfo::exists(file), !afterRemove.isNull());
        QCOMPARE(QFileInfo(settings).isSymLink(), isLink);
        if (QFileInfo::exists(file) && !before.isNull())
            QCOMPARE(modeOf(file), mode_t(0600));
    }
};

QTEST_MAIN(StatusLineSettingTest)
#include "StatusLineSettingTest.moc"
