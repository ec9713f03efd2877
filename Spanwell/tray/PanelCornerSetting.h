#pragma once

#include "store/UserSettings.h"
#include "tray/PanelPlacement.h"

#include <optional>

// The corner of the screen the user wants the panel in, where it cannot hang from the tray
// item: "panelCorner" in the settings file, as topLeft, topRight, bottomLeft or bottomRight.
namespace PanelCornerSetting {

// None when the setting is absent or names no corner, which leaves the choice to the bar.
std::optional<PanelPlacement::Corner> read(const UserSettings& settings);

} // namespace PanelCornerSetting
