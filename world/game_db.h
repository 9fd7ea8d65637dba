// The three databases that stay open for the whole run: "maps.dat" (the role
// database, whose image is gMapsImage), "path.dat" (mapped whole into
// gPathData) and "talk1.dat" (the story scripts).
#pragma once
#include <cstdint>

#include "base/file.h"

extern cFile RoleHandle, PathHandle, TalkHandle;
extern const uint8_t* gPathData;
extern uint32_t gPathDataSize;

// Opens the three from gInstallPath. 1 when all are open; 0 after the
// failing one's box (the later ones are not opened).
int OpenDataBases();
// Closes what is open; a failing close is traced and the rest still closes.
void CloseDataBases();
