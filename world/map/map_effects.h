// Overlays and effects of the map scene beside the roles: free-standing
// animations, sliding heads, line wipes, the screen shake, the cursor with
// its sliding menu button, captions, map pictures, the chimney smoke, the
// five weathers and the spotlight, the three-field text entry and the
// full-screen frame sequence. Each is a small state machine stepped once a
// frame by RenderScene; story scripts create and configure them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw/act_pack.h"
#include "draw/ripple.h"

// Draws a record's current frame at (x, y) less its hot spot.
void DrawRecordFrame(const ActRecord& a, int32_t x, int32_t y, uint32_t flags, int alpha);
// Steps an act; a missing stream is reported once under the caption.
bool StepMapAct(ActRecord* a, const char* caption);

// ---- Act objects, free objects, heads -----------------------------------------
struct PlayActObject {
    int16_t x = 0, y = 0;  // screen
    ActRecord act{};
    uint32_t flags = 0;
    uint8_t alpha = 0;
    uint16_t sound = 0;    // pending sound id
};
extern std::vector<PlayActObject> gPlayActLists[2];
void PlayAct(int list);

struct FreeObject {
    ActRecord act{};
    uint32_t flags = 0;
    uint8_t alpha = 0;
    uint16_t hold = 0;
    float x = 0, y = 0, dx = 0, dy = 0;  // map pixels
    int16_t targetX = 0, targetY = 0;
};
extern std::vector<FreeObject> gTObjList;
void DrawTObj();

struct RoleHead {
    ActRecord act{};
    uint32_t flags = 0;
    uint8_t alpha = 0;
    int16_t x = 0, targetX = 0, y = 0;
    int16_t speed = 0;  // low 15 bits 0: easing in; otherwise leaving by this speed
};
extern std::vector<RoleHead> gRoleHeads;
void drawRoleHead();
// One easing step of a head toward its target.
int16_t EaseHead(int16_t x, int16_t target);

// ---- Line wipes --------------------------------------------------------------------
enum : uint16_t { kWipeHold = 0x08, kWipeShrink = 0x10, kWipeOpen = 0x20, kWipeClose = 0x40, kWipeGrow = 0x80 };
struct LineWipe {
    uint8_t id = 0;      // the story's number for the wipe (talk instructions 0x53, 0x54)
    int16_t x = 0, y = 0, width = 0;
    uint16_t state = 0;
    int16_t colour = 0;  // index into the text colour table
    std::vector<int16_t> start, length;  // one per row
};
extern std::vector<LineWipe> gParticleLists;
void DrawParticles();

// ---- Shake -------------------------------------------------------------------------
constexpr uint16_t kShakeEnd = 0xCFCF;
struct ScreenShake {
    std::vector<int16_t> table;  // dx, dy pairs, then kShakeEnd
    size_t index = 0;
    int32_t hold = 0, period = 1;
    int32_t baseLeft = 0, baseTop = 0;
    bool shaken = false;         // the camera was moved this frame
};
extern ScreenShake gShake;
// Takes the words of a shake table up to its end marker; a table whose pairs
// are incomplete (an odd count) drops the half pair.
void SetShakeTable(const int16_t* words, size_t count, int32_t period);
void StopShake();
bool ShakeRuns();
void StepScreenShake();
// The camera back on the shake base at the end of the frame.
void EndShakeFrame();

// ---- Cursor ------------------------------------------------------------------------
struct MapCursor {
    ActRecord act{};
    ActRecord button{};
    int32_t shownAct = 0;
    int32_t idle = 0;
    int32_t offset = 0;      // menu button: 0 out .. -32 in
    bool mouseActive = true;
    int32_t x = 320, y = 240;
};
extern MapCursor gMapCursor;
// Whether the player is walking this frame (the walking code sets it).
extern bool gPlayerWalking;
// Draws the pointer as the frame's cursor shape (gCursorShape: 13 the plain
// arrow, 0..7 a facing, 9 and 10 talk, 11 an event cell, 15 while key 0x2E
// is held).
void RefrashCursor();

// ---- Captions and map pictures ----------------------------------------------------------
struct Caption {
    std::string text;
    int32_t frames = 0;
};
extern std::vector<Caption> gCaptions;
void DrawCaption();
void DrawMapPictures();

// ---- Chimneys ------------------------------------------------------------------------
constexpr int kChimneys = 4;
struct SmokePuff {
    int32_t x, y, dx, dy, life;
};
struct Chimney {
    std::vector<SmokePuff> puffs;
    uint16_t x = 0, y = 0;
    int16_t counter = 0;
    uint8_t flags = 0;
    uint16_t guid = 0;
};
extern Chimney gChimneys[kChimneys];
extern int gChimneyCount;
extern ActRecord gSmokeAct;
void SpawnNearEffect(int32_t x, int32_t y, uint16_t guid);

// ---- Weather -------------------------------------------------------------------------
struct Cloud {
    int32_t x = 0, y = 0, dx = 0, dy = 0;
    int32_t tick = 0, delay = 0, targetDelay = 0;
    int32_t act = 0;
    int32_t brightness = 0, targetBrightness = 0;
    ActRecord record{};
};
struct Flier {
    int32_t x = 0x7FFFFFFF, y = 0, dx = 0, dy = 0;
    ActRecord act{};
};
struct HazeBlock {
    int32_t start = 0, width = 0, height = 0;
};
struct Streak {
    int16_t x = 0, y = 0, dx = 0, speed = 0, length = 0, life = 0;
    bool active = false;
    int16_t phase = 0;
};
constexpr int kClouds = 4;
constexpr int kFliers = 4;
constexpr int kHazeBlocks = 48;
constexpr int kStreaks = 64;
struct Weather {
    Cloud clouds[kClouds];
    int32_t cloudBase = 96, cloudSpread = 4;
    Flier fliers[kFliers];
    HazeBlock haze[kHazeBlocks];
    int32_t hazeFrame = 0;
    Streak rain[kStreaks];
    int32_t rainIntensity = 0, rainActive = 0;
    Streak sparkles[kStreaks];
    int32_t sparkleIntensity = 0, sparkleActive = 0;
    int32_t spotX = 320, spotY = 240, spotTargetX = 320, spotTargetY = 240, spotStepX = 0, spotStepY = 0;
    ActRecord spotAct{}, spotRing{};
};
extern Weather gWeather;
void DrawParticleWeather();  // flag 5
void DrawDriftingObjects();  // flag 6
void DrawStreakDrops();      // flag 7
void DrawFlashPixels();      // flag 8
void DrawSparkleDots();      // flag 22
void DrawCentredOverlay();   // flag 19
// Ripples the story drops on the screen, newest first.
extern std::vector<std::unique_ptr<cRipple>> gEffectObjects;
void StepEffectObjects();
// The weather's part of a map change (every weather and the spotlight reset).
void ResetWeatherForMap();

// ---- Text entry ------------------------------------------------------------------------
// The talk's name entry (world/dialog/name_entry.h), while mode bit 0x40 is set.
void DrawInputOverlay();

// ---- Frame sequence (world/map/frame_sequence.cpp) -----------------------------------------
bool FrameSequenceRuns();
void PlayFrameSequence();

// Every list freed and every effect back to its start (map change, tests).
void ResetMapEffects();
