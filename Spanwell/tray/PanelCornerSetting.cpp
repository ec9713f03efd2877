#include "tray/PanelCornerSetting.h"

#include "store/UserSettings.h"

namespace PanelCornerSetting {

std::optional<PanelPlacement::Corner> read(const QString& settingsPath) {
    using PanelPlacement::Corner;
    const QString named = UserSettings::open(settingsPath)->value("panelCorner").toString();
    for (const auto& [name, corner] : {std::pair{"topLeft", Corner::topLeft},
                                       {"topRight", Corner::topRight},
                                       {"bottomLeft", Corner::bottomLeft},
                                       {"bottomRight", Corner::bottomRight}})
        if (named == QLatin1String(name))
            return corner;
    return std::nullopt;
}

} // namespace PanelCornerSetting
