#pragma once

// The picture modes draw into files and need no display: unless the user chose a Qt platform,
// they draw off screen, so they also work over SSH and in CI.
namespace OffscreenPlatform {

// Call before the application object is created.
void chooseUnlessSet();

} // namespace OffscreenPlatform
