#include "support/TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

TemporaryHome::TemporaryHome() {
    directory.setAutoRemove(true);
}

QString TemporaryHome::path() const {
    return directory.path();
}

QString TemporaryHome::pathOf(const QString& relativePath) const {
    return path() + QLatin1Char('/') + relativePath;
}

QString TemporaryHome::makeFolder(const QString& relativePath) const {
    const QString folder = pathOf(relativePath);
    QDir().mkpath(folder);
    return folder;
}

QString TemporaryHome::withParents(const QString& relativePath) const {
    const QString file = pathOf(relativePath);
    QDir().mkpath(QFileInfo(file).path());
    return file;
}

QString TemporaryHome::writeFile(const QString& relativePath, const QByteArray& contents) const {
    const QString file = withParents(relativePath);
    QFile output(file);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        output.write(contents) != contents.size())
        qFatal("Could not write %s", qPrintable(file));
    return file;
}

QString TemporaryHome::writeExecutable(const QString& relativePath,
                                       const QByteArray& contents) const {
    const QString file = writeFile(relativePath, contents);
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::ExeOther);
    return file;
}

QString TemporaryHome::makeNamedPipe(const QString& relativePath) const {
    const QString file = withParents(relativePath);
    if (::mkfifo(QFile::encodeName(file).constData(), 0600) != 0)
        qFatal("Could not make the named pipe %s", qPrintable(file));
    return file;
}

QString TemporaryHome::makeLink(const QString& relativePath, const QString& target) const {
    const QString file = withParents(relativePath);
    if (!QFile::link(target, file))
        qFatal("Could not make the link %s", qPrintable(file));
    return file;
}

QString TemporaryHome::makeSparseFile(const QString& relativePath, qint64 size) const {
    const QString file = writeFile(relativePath, {});
    if (!QFile::resize(file, size))
        qFatal("Could not make the sparse file %s", qPrintable(file));
    return file;
}

QString TemporaryHome::addAccount(const QString& folderName, const QString& email,
                                  const std::optional<QString>& organization,
                                  const std::optional<QString>& planDisplayName) const {
    QJsonObject account{{QStringLiteral("emailAddress"), email}};
    if (organization)
        account.insert(QStringLiteral("organizationName"), *organization);
    if (planDisplayName)
        account.insert(QStringLiteral("planDisplayName"), *planDisplayName);
    const QByteArray contents =
        QJsonDocument(QJsonObject{{QStringLiteral("oauthAccount"), account}}).toJson();

    const QString folder = makeFolder(folderName);
    const bool isDefault = folderName == QLatin1String(".claude");
    writeFile(isDefault ? QStringLiteral(".claude.json")
                        : folderName + QStringLiteral("/.claude.json"),
              contents);
    return folder;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
