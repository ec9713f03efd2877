#include "tray/AutostartEntry.h"

#include "files/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// One argument of an Exec line, quoted so that no character in the path is read as a
// separator, a field code or an escape.
QString quotedArgument(const QString& argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar character : argument) {
        if (character == u'"' || character == u'`' || character == u'$' || character == u'\\')
            quoted += QLatin1Char('\\');
        quoted += character;
    }
    quoted += QLatin1Char('"');
    return quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

// The escapes of a string value in a desktop entry.
QString escapedValue(const QString& value) {
    QString escaped;
    for (const QChar character : value) {
        if (character == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (character == u'\n')
            escaped += QStringLiteral("\\n");
        else if (character == u'\t')
            escaped += QStringLiteral("\\t");
        else if (character == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += character;
    }
    return escaped;
}

// A desktop entry's string value as it was before `escapedValue`.
QString unescapedValue(const QString& value) {
    QString plain;
    for (qsizetype index = 0; index < value.size(); ++index) {
        const QChar character = value.at(index);
        if (character != u'\\' || index + 1 == value.size()) {
            plain += character;
            continue;
        }
        switch (value.at(++index).unicode()) {
        case u's':
            plain += QLatin1Char(' ');
            break;
        case u'n':
            plain += QLatin1Char('\n');
            break;
        case u't':
            plain += QLatin1Char('\t');
            break;
        case u'r':
            plain += QLatin1Char('\r');
            break;
        default:
            plain += value.at(index);
        }
    }
    return plain;
}

} // namespace

AutostartEntry::AutostartEntry(QString entryFolder, QString programPath, QString programSearchPath)
    : folder(std::move(entryFolder))
    , program(std::move(programPath))
    , searchPath(std::move(programSearchPath)) {}

AutostartEntry AutostartEntry::forThisProgram() {
    return AutostartEntry(defaultFolder(), QCoreApplication::applicationFilePath(),
                          qEnvironmentVariable("PATH"));
}

QString AutostartEntry::found(const QString& name) const {
    for (const QString& place : searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QFileInfo candidate(place + QLatin1Char('/') + name);
        if (QDir::isAbsolutePath(place) && candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return {};
}

QString AutostartEntry::command() const {
    const QString name = QStringLiteral("spanwell");
    const QString first = found(name);
    if (!first.isEmpty() &&
        QFileInfo(first).canonicalFilePath() == QFileInfo(program).canonicalFilePath())
        return name;
    return program;
}

QString AutostartEntry::startedProgram(const QByteArray& text) const {
    QString exec;
    for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Exec=")))
            exec = unescapedValue(line.mid(5));
    QString started;
    if (exec.startsWith(QLatin1Char('"'))) {
        for (qsizetype index = 1; index < exec.size() && exec.at(index) != u'"'; ++index) {
            if (exec.at(index) == u'\\' && index + 1 < exec.size())
                ++index;
            started += exec.at(index);
        }
    } else {
        started = exec.section(QLatin1Char(' '), 0, 0);
    }
    started.replace(QStringLiteral("%%"), QStringLiteral("%"));
    if (started.isEmpty() || started.contains(QLatin1Char('/')))
        return started;
    return found(started);
}

QString AutostartEntry::defaultFolder() {
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = !configHome.isEmpty() && QDir::isAbsolutePath(configHome)
                             ? configHome
                             : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart");
}

QByteArray AutostartEntry::contents(const QString& command) {
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Spanwell\n"
                                        "Comment=Claude Code usage of every account\n"
                                        "Exec=") +
                         escapedValue(quotedArgument(command)) +
                         QStringLiteral("\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n");
    return text.toUtf8();
}

QString AutostartEntry::path() const {
    return folder + QStringLiteral("/spanwell.desktop");
}

bool AutostartEntry::isRegistered() const {
    return QFileInfo(path()).isFile();
}

RegularFile::Written AutostartEntry::registerEntry() const {
    return RegularFile::replaceMakingFolders(path(), contents(command()));
}

std::optional<RegularFile::Written> AutostartEntry::repair() const {
    // An entry larger than this is none of ours, and is left alone.
    constexpr qint64 largestEntry = 64 * 1024;
    const std::optional<QByteArray> text = RegularFile::read(path(), largestEntry);
    if (!text)
        return std::nullopt;
    const QString started = startedProgram(*text);
    if (!started.isEmpty() && QFileInfo(started).isExecutable())
        return std::nullopt;
    return registerEntry();
}

RegularFile::Written AutostartEntry::unregister() const {
    QFile entry(path());
    if (entry.remove() || !QFileInfo::exists(path()))
        return {};
    return {entry.errorString()};
}
