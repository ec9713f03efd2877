#include "store/UserSettings.h"

namespace UserSettings {

std::unique_ptr<QSettings> open(const QString& path) {
    if (path.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Spanwell"), QStringLiteral("Spanwell"));
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

} // namespace UserSettings
