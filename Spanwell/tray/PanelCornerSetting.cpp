#include "tray/PanelCornerSetting.h"

namespace PanelCornerSetting {

std::optional<PanelPlacement::Corner> read(const UserSettings& settings) {
    using PanelPlacement::Corner;
    const QString named = settings.value(Settings::panelCorner);
    for (const auto& [name, corner] : {std::pair{"topLeft", Corner::topLeft},
                                       {"topRight", Corner::topRight},
                                       {"bottomLeft", Corner::bottomLeft},
                                       {"bottomRight", Corner::bottomRight}})
        if (named == QLatin1String(name))
            return corner;
    return std::nullopt;
}

} // namespace PanelCornerSetting
