// Two blocks the start of a game makes for the world: the talk-script
// window and the image of the role database "maps.dat" (the file from byte
// 512 to its end; its first 512 bytes are a head that is not read).
#pragma once
#include <cstdint>

constexpr uint32_t kTalkScriptBytes = 32768;
constexpr uint32_t kMapsHeadBytes = 512;

extern uint8_t* gTalkScript;
extern uint8_t* gMapsImage;
extern uint32_t gMapsImageSize;

// Replaces gTalkScript with a new zeroed block; false when none can be made.
bool NewTalkScript();

enum MapsImageResult : int {
    kMapsImageRead = 0,
    kMapsImageMissing,   // the file does not open
    kMapsImageTooShort,  // nothing after its head: there is no image
    kMapsImageNoMemory,
    kMapsImageShortRead,
};
// Replaces gMapsImage with "maps.dat" of the install folder from byte 512
// on, and binds the role definitions (table 1) in it. On any failure
// gMapsImage is left empty (null, size 0) with no definitions bound.
MapsImageResult ReadMapsImage();

void FreeTalkScript();
void FreeMapsImage();
// Both freed (tests).
void ResetGameBuffers();
