#pragma once

#include <QDir>
#include <QJsonObject>
#include <QString>

#include <optional>

// One Claude Code account signed in on this machine, identified by its configuration folder.
struct Account {
    QString configDir;
    QString keychainService;
    QString email;
    std::optional<QString> organization;
    std::optional<QString> planDisplayName;

    const QString& id() const { return configDir; }
    // Claude Code's default folder: the last path component is exactly ".claude".
    bool isDefault() const;
    // The folder for display, with the home folder written as "~" when the folder is in it.
    QString folderLabel(const QString& home = QDir::homePath()) const;

    QJsonObject toJson() const;
    static std::optional<Account> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const Account&) const = default;
};
