// The place the swap-space option names. The game was made for a system of
// drive letters and shows "%c碟" with the install folder's drive; here a
// folder has no drive letter, so the option shows the install folder's own
// name in its place (docs/saves.md, "Install place").
#pragma once
#include <string>

constexpr size_t kInstallPlaceMax = 12; // bytes of the name shown

// The last component of gInstallPath (the current folder when it is empty),
// printable ASCII only (other bytes become '?'), cut to kInstallPlaceMax.
std::string InstallPlaceName();
// "<place>碟 ,需要%4dMB" in the game's encoding, the option's text.
std::string DiskNeedText(int megabytes);
