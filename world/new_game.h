// Setting up the game data: the reset of a new game (MiscInit), the map and
// role reset (ResetGameData), the start of a new game (NewGame), and the
// small look-ups over the maps.dat image (map names, party records).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct RoleRecord;

// Table 4 of the image.
struct StartRecord {
    uint16_t map = 0, x = 0, y = 0;
    uint16_t arg[3] = {};      // the three further LoadCity arguments
    uint16_t openingGuid = 0;  // the GUID whose talk 100 opens the game
};
extern StartRecord gStartRecord;

// The battle-probability steps of table 18, in groups of 8.
extern std::vector<uint16_t> gBattleSteps;

// 1 when the game was set up; 0 (one box, the title screen asked for) when
// "maps.dat" cannot be read again. Mode 1 also loads the start map with
// LoadCity (a map that does not load ends the game through its own box).
// The menus' and the saves' share of a new game is their caller's (the title).
int NewGame(int mode);
void MiscInit();
// Frees the map's tile and cell buffers, the roles' own buffers and records,
// makes the talk context idle and frees every path slot and companion record.
void ResetGameData();
// The presentation of the map back to rest after a game is loaded: the
// play-act, free-object, head, wipe and dialog lists, the chimney smoke, the
// fliers, the screen tint and the shake. Returns 0.
int ResetPresentation();
// Frees every role's owned text and attached act record and zeroes the 300
// records (the draw order is emptied first: no bucket keeps a zeroed role).
void FreeRoleBuffers();

// Copies party record `record` (52 bytes of table 6) into member 0..3.
void CopyMemberRecord(int member, const uint8_t* record, size_t size);
// The map's name from table 20 into out (at most size - 1 bytes and a zero);
// 0 when the map is not listed (out is then empty).
int FindMapName(uint16_t map, char* out, size_t size);
int32_t DirectionToPoint(int32_t x, int32_t y);
// Shrinks a 640 x 480 picture in place to 160 x 120 (every fourth pixel of
// every fourth row).
void ThumbnailFromScreen(uint16_t* pixels);
void newRoleInit(RoleRecord* role);
