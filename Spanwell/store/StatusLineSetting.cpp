#include "store/StatusLineSetting.h"

#include "files/RegularFile.h"
#include "model/ShellQuoting.h"
#include "store/JsonObjectText.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString settingKey = QStringLiteral("statusLine");
const QLatin1String modeOption(" --statusline");
// Far more than any settings a person writes.
constexpr qint64 largestSettingsFile = 4 * 1024 * 1024;

// settings.json as it is to be read and written.
struct SettingsFile {
    enum class State { missing, found, refused, unreadable };
    State state = State::missing;
    // settings.json itself, or the file its link leads to.
    QString path;
    QByteArray text;
    bool isLink = false;
};

SettingsFile locate(const QString& configDir) {
    SettingsFile file;
    file.path = configDir + QStringLiteral("/settings.json");
    struct stat status {};
    if (::lstat(QFile::encodeName(file.path).constData(), &status) != 0) {
        file.state =
            errno == ENOENT ? SettingsFile::State::missing : SettingsFile::State::unreadable;
        return file;
    }
    file.state = SettingsFile::State::refused;
    if (S_ISLNK(status.st_mode)) {
        file.isLink = true;
        file.path = QFileInfo(file.path).canonicalFilePath();
        if (file.path.isEmpty() || ::stat(QFile::encodeName(file.path).constData(), &status) != 0)
            return file;
    }
    if (!S_ISREG(status.st_mode) || status.st_uid != ::getuid())
        return file;
    const std::optional<QByteArray> text = RegularFile::read(file.path, largestSettingsFile);
    file.state = text ? SettingsFile::State::found : SettingsFile::State::unreadable;
    file.text = text.value_or(QByteArray());
    return file;
}

std::optional<QJsonObject> settingsOf(const QByteArray& text) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

QByteArray jsonString(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

// {"type": "command", "command": "…"}, laid out as the members around it are.
QByteArray settingText(const QString& command, QByteArrayView indent) {
    if (indent.isEmpty())
        return "{\"type\": \"command\", \"command\": " + jsonString(command) + '}';
    const QByteArray inner = indent.toByteArray() + indent.toByteArray();
    return "{\n" + inner + "\"type\": \"command\",\n" + inner +
           "\"command\": " + jsonString(command) + '\n' + indent.toByteArray() + '}';
}

// The whole of a settings.json that `install` made.
QByteArray madeFile(const QString& command) {
    return JsonObjectText::set(
               "{}\n", settingKey,
               [&command](QByteArrayView indent) { return settingText(command, indent); })
        .value_or(QByteArray());
}

// The setting as `install` writes it, for this program or for one installed elsewhere: a
// command that runs a program called spanwell with --statusline, and nothing more.
bool isSpanwells(const QJsonValue& setting) {
    const QJsonObject object = setting.toObject();
    const QString command = object.value(QStringLiteral("command")).toString();
    if (object.size() != 2 || object.value(QStringLiteral("type")) != QStringLiteral("command") ||
        !command.endsWith(modeOption))
        return false;
    QString program = command.chopped(modeOption.size());
    if (program.size() >= 2 && program.startsWith(QLatin1Char('\'')) &&
        program.endsWith(QLatin1Char('\'')))
        program = program.mid(1, program.size() - 2)
                      .replace(QStringLiteral("'\\''"), QStringLiteral("'"));
    return program.startsWith(QLatin1Char('/')) &&
           program.section(QLatin1Char('/'), -1) == QLatin1String("spanwell");
}

using Outcome = StatusLineSetting::Outcome;

// Why a file that is not there as expected is left alone.
Outcome refusal(SettingsFile::State state) {
    return state == SettingsFile::State::refused ? Outcome::notUsersFile : Outcome::notRead;
}

// Whole or not at all; QSaveFile gives the new file the old one's permissions.
bool write(const QString& path, const QByteArray& text) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

} // namespace

namespace StatusLineSetting {

QString command(const QString& programPath) {
    return ShellQuoting::quoted(programPath) + modeOption;
}

Outcome install(const QString& configDir, const QString& command) {
    SettingsFile file = locate(configDir);
    if (file.state == SettingsFile::State::missing)
        file.text = "{}\n";
    else if (file.state != SettingsFile::State::found)
        return refusal(file.state);
    const std::optional<QJsonObject> settings = settingsOf(file.text);
    if (!settings)
        return Outcome::notJsonObject;
    if (settings->contains(settingKey)) {
        const QJsonValue current = settings->value(settingKey);
        if (!isSpanwells(current))
            return Outcome::ownStatusLine;
        if (current.toObject().value(QStringLiteral("command")) == command)
            return Outcome::alreadyThere;
    }
    const std::optional<QByteArray> edited =
        JsonObjectText::set(file.text, settingKey, [&command](QByteArrayView indent) {
            return settingText(command, indent);
        });
    if (!edited)
        return Outcome::notEditable;
    return write(file.path, *edited) ? Outcome::added : Outcome::notWritten;
}

Outcome remove(const QString& configDir) {
    const SettingsFile file = locate(configDir);
    if (file.state == SettingsFile::State::missing)
        return Outcome::notThere;
    if (file.state != SettingsFile::State::found)
        return refusal(file.state);
    const std::optional<QJsonObject> settings = settingsOf(file.text);
    if (!settings)
        return Outcome::notJsonObject;
    const QJsonValue current = settings->value(settingKey);
    if (!isSpanwells(current))
        return Outcome::notThere;
    if (!file.isLink &&
        file.text == madeFile(current.toObject().value(QStringLiteral("command")).toString()))
        return QFile::remove(file.path) ? Outcome::removed : Outcome::notWritten;
    const std::optional<QByteArray> edited = JsonObjectText::remove(file.text, settingKey);
    if (!edited)
        return Outcome::notEditable;
    return write(file.path, *edited) ? Outcome::removed : Outcome::notWritten;
}

bool isInstalled(const QString& configDir) {
    const SettingsFile file = locate(configDir);
    const std::optional<QJsonObject> settings =
        file.state == SettingsFile::State::found ? settingsOf(file.text) : std::nullopt;
    return settings && isSpanwells(settings->value(settingKey));
}

bool succeeded(Outcome outcome) {
    switch (outcome) {
    case Outcome::added:
    case Outcome::alreadyThere:
    case Outcome::removed:
    case Outcome::notThere:
        return true;
    case Outcome::ownStatusLine:
    case Outcome::notJsonObject:
    case Outcome::notUsersFile:
    case Outcome::notRead:
    case Outcome::notEditable:
    case Outcome::notWritten:
        break;
    }
    return false;
}

QString sentence(Outcome outcome) {
    switch (outcome) {
    case Outcome::added:
        return QStringLiteral("Spanwell shows in Claude Code's status line.");
    case Outcome::alreadyThere:
        return QStringLiteral("Spanwell already shows in Claude Code's status line.");
    case Outcome::removed:
        return QStringLiteral("Spanwell no longer shows in Claude Code's status line.");
    case Outcome::notThere:
        return QStringLiteral("Spanwell was not in Claude Code's status line.");
    case Outcome::ownStatusLine:
        return QStringLiteral("Left as it is: settings.json has a status line of its own "
                              "(man spanwell tells how to show both).");
    case Outcome::notJsonObject:
        return QStringLiteral("Left as it is: settings.json is not a valid JSON object.");
    case Outcome::notUsersFile:
        return QStringLiteral("Left as it is: settings.json is not a regular file of this "
                              "user's.");
    case Outcome::notRead:
        return QStringLiteral("Left as it is: settings.json could not be read.");
    case Outcome::notEditable:
        return QStringLiteral("Left as it is: settings.json could not be changed without "
                              "touching the rest of it.");
    case Outcome::notWritten:
        break;
    }
    return QStringLiteral("settings.json could not be written.");
}

} // namespace StatusLineSetting
