// Map loading: LoadCity turns the world over to another map. It resets the
// per-map lists, reads the map's properties from the maps.dat image, starts
// the map's music, sets the map's story flags, loads the map from the
// archive, names it, seeds the weather, collects the fight areas and places
// the roles. Also the map's music choice and the choice of a random fight.
//
// The image is read through the small bounded readers below (maps.dat tables
// by index); placing roles from their definitions is the role module's and
// is world/map/map_roles.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/maps_image.h"

// ---- Reading the maps.dat image ------------------------------------------------
struct MapsImage {
    const uint8_t* data;
    uint32_t size;
};
// The image the game holds (gMapsImage).
MapsImage CurrentMapsImage();
// Offset of table `index` in the image; false when the entry or the offset
// lies outside it.
bool MapsTable(const MapsImage& image, int index, uint32_t* offset);
bool MapsU16(const MapsImage& image, uint32_t at, uint16_t* value);
bool MapsU32(const MapsImage& image, uint32_t at, uint32_t* value);

// Table 2 holds the music of the maps for the map loading (docs/maps.md);
// table 3 is the map list.
constexpr int kTableMusic = kTableObjectStates;
constexpr int kTableMapList = kTableMapRecords;

struct MapRecord {
    uint16_t words[7];
};
bool FindMapRecord(const MapsImage& image, uint32_t map, MapRecord* out);
bool FindMapNameIn(const MapsImage& image, uint32_t map, char* out, size_t size);
// The sound of a role from table 21: id and repeat interval.
bool FindRoleSound(const MapsImage& image, uint16_t guid, uint16_t* id, uint16_t* interval);

// ---- State -----------------------------------------------------------------------------
struct FightArea {
    uint32_t left, top, right, bottom;  // cells, inclusive
    uint32_t list;                      // offset in the image of the fight list
};
// In list order: the last record of the table first.
extern std::vector<FightArea> gFightAreas;

struct MapMusic {
    uint32_t mode, trackA, trackB;
};
extern MapMusic gMapMusic;
extern uint32_t gMusicResume[3];
// The music-state word: a map without a music record clears its bits 18-19,
// a map with a new track pair sets it to 0.
extern uint32_t gMusicState;
constexpr uint32_t kMusicStateMapBits = 0xC0000;
extern uint32_t gBattleGroup;
extern uint32_t gMapOptions;
extern uint32_t gEscapeAllowed;
extern uint32_t gMapScriptGuid;
extern uint32_t gMapBounds[4];

// Places the roles whose definitions belong to the map (after the map's
// objects), advancing TotalRole: the player (the definition whose GUID is
// gMapScriptGuid, which takes the load's cell and act values) becomes
// gPlayerRole and heads the party line, companions join the line, chimneys
// get their records. Duplicate GUIDs and definitions outside the map are
// reported, one box each, and not placed. Without a definition the player is
// placed all the same.
void PlaceMapRoles(uint32_t map, uint32_t x, uint32_t y, uint16_t act0, uint16_t act1, uint16_t act2);

// A chimney role gets the next of the four records; a fifth is reported, and
// loses its chimney flag so that nothing services it.
bool RegisterChimney(struct RoleRecord* role);

void LoadCity(uint32_t map, uint32_t x, uint32_t y, uint16_t act0, uint16_t act1, uint16_t act2, uint32_t options);
void PlayMapMusic(uint32_t map);
// The file name of music track `track` from table 2 of the image; false when
// the track has none.
bool FindMusicTrackName(uint32_t track, char* out, size_t size);
// Where the map-music record of `map` (map, track A, track B, mode) starts
// in the image; false when the list has none.
bool FindMapMusicRecord(uint32_t map, uint32_t* at);
void CollectMapEntries();
uint32_t ChooseRandomFight(uint32_t steps, int force);
// A tint nibble as a signed offset (9..15 are -7..-1).
int32_t TintNibble(uint32_t nibble);
// Rows of the battle-probability table (table 18, 16 bytes a row).
uint32_t BattleGroupRows(const MapsImage& image);

void ResetMapLoad();
