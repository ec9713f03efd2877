#include "store/SnapshotCache.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace SnapshotCache {

QHash<QString, Snapshot> read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return {};
    const QJsonObject object = document.object();
    QHash<QString, Snapshot> snapshots;
    for (auto field = object.constBegin(); field != object.constEnd(); ++field) {
        std::optional<Snapshot> snapshot = Snapshot::fromJson(field.value());
        if (!snapshot)
            return {};
        snapshots.insert(field.key(), std::move(*snapshot));
    }
    return snapshots;
}

bool write(const QString& path, const QList<Entry>& entries) {
    QJsonObject object;
    for (const Entry& entry : entries) {
        if (!entry.snapshot) {
            object.remove(entry.id());
            continue;
        }
        const std::optional<QJsonObject> encoded = entry.snapshot->toJson();
        if (!encoded)
            return false;
        object.insert(entry.id(), *encoded);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QJsonDocument(object).toJson(QJsonDocument::Compact));
    return file.commit();
}

} // namespace SnapshotCache
