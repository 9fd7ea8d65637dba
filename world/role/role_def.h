// Role definitions and the party line.
//
// The definitions (table 1 of the maps.dat image) hold every role of every
// map as it stands when its map is not shown. They live in the image itself,
// 24-byte records ended by a record whose map word is 0xFFFF, and are read
// and written field by field (RoleDef). The party line is the player and the
// companions that joined, in joining order.
#pragma once
#include <cstddef>
#include <cstdint>

struct RoleRecord;

constexpr size_t kRoleDefBytes = 24;
constexpr int kPartyLineSlots = 8;
constexpr uint32_t kPartyLineEmpty = 0xFFFFFFFFu;

struct RoleDef {
    uint16_t map;        // 0
    uint16_t guid;       // 2
    uint16_t act[3];     // 4: the three act values
    uint16_t cellX;      // 10
    uint16_t cellY;      // 12
    uint16_t talk;       // 14
    uint16_t path;       // 16
    int16_t pathPos;     // 18
    uint16_t flags;      // 20
    uint16_t kept;       // 22
};
static_assert(sizeof(RoleDef) == kRoleDefBytes);
static_assert(offsetof(RoleDef, cellX) == 10);
static_assert(offsetof(RoleDef, flags) == 20);

extern uint8_t* gRoleDef;          // in gMapsImage, or null
extern uint32_t gRoleDefBytes;     // 24 x the number of records
extern uint32_t gPartyLine[kPartyLineSlots];
extern uint32_t gPartyCount;

// Points gRoleDef at table 1 and counts its records (bounded by the image).
void BindRoleDefs();
uint32_t RoleDefCount();
RoleDef GetRoleDefAt(uint32_t index);
void PutRoleDefAt(uint32_t index, const RoleDef& def);
// Index of the definition with the GUID, or -1.
int32_t FindRoleDef(uint16_t guid);

// Arguments of -1 (or/and flags 65535, kept 32896) leave their field.
int SetRoleDef(uint16_t guid, int act0, int act1, int act2, int x, int y, int talk, int path, int orFlags,
               int andFlags, int map, int kept);
// Fills a role from the definition; -1 when there is none, else its index.
int32_t GetRoleDef(RoleRecord* role, uint16_t guid);
void WriteBackRole(int cellX, int cellY);
// Appends the role to the party line; 0 when it is already there, the line
// is full or the index is not a role.
int PlaceRole(uint32_t index);
int RemoveCompanion(uint16_t guid, int path, int talk, int act0, int act1, int act2, uint32_t flags);

// The player alone in the line.
void ResetPartyLine();
