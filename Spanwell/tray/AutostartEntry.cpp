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

} // namespace

AutostartEntry::AutostartEntry(QString entryFolder, QString programPath)
    : folder(std::move(entryFolder))
    , program(std::move(programPath)) {}

AutostartEntry AutostartEntry::forThisProgram() {
    return AutostartEntry(defaultFolder(), QCoreApplication::applicationFilePath());
}

QString AutostartEntry::defaultFolder() {
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = !configHome.isEmpty() && QDir::isAbsolutePath(configHome)
                             ? configHome
                             : QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/autostart");
}

QByteArray AutostartEntry::contents(const QString& program) {
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Spanwell\n"
                                        "Comment=Claude Code usage of every account\n"
                                        "Exec=") +
                         escapedValue(quotedArgument(program)) +
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
    return RegularFile::replaceMakingFolders(path(), contents(program));
}

RegularFile::Written AutostartEntry::unregister() const {
    QFile entry(path());
    if (entry.remove() || !QFileInfo::exists(path()))
        return {};
    return {entry.errorString()};
}
