// Every person, creature and placed object on the current map is a role: one
// RoleRecord in the fixed table gRole. Roles are in-memory records only (saved
// games store role definitions, not these), so the record uses natural types.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"

constexpr uint32_t kMaxRoles = 300;

// RoleRecord::flags
enum RoleFlag : uint32_t {
    kRolePlaneMask     = 0x3,        // draw plane of a map object
    kRoleNoTalkKey     = 0x4,        // does not answer the talk key
    kRoleMarkBit23     = 0x10,       // marks its cells with kCellRoleMark23
    kRoleCompanion     = 0x80,       // a companion: CompanyWalk moves it
    kRoleChimney       = 0x200,      // a chimney (gChimneys)
    kRoleTurnsToTalker = 0x800,      // turns to whoever talks to it; qq and dir saved and restored
    kRoleAnimated      = 0x1000,     // without a path its animation is stepped every frame
    kRoleTouchTalk     = 0x2000,     // touching the role starts its talk
    kRoleMarkBit29     = 0x4000,     // marks its cells with kCellRoleMark29 as well
    kRoleActive        = 0x8000,     // active: runs scripts, answers and blocks
    kRoleShown         = 0xC000,     // set and cleared together by show and hide
    kRoleTalkStarter   = 0x80000,    // started the running talk
    kRoleBattleClear   = 0x1000000,  // cleared on every role but 0 when a battle starts
    kRoleFar           = 0x4000000,  // far from the role it was sent to
    kRoleDeleted       = 0x10000000, // the record is deleted
    kRoleHeld          = 0x80000000, // held by a talk: its script does not run
};

// Cell marks a role writes into the attribute grid for the cells it covers.
enum CellMark : uint32_t {
    kCellScriptGuid  = 0x100,        // the role's GUID equals gMapScriptGuid
    kCellRoleMark23  = 0x800000,     // role flag kRoleMarkBit23
    kCellRoleHere    = 0x10000000,   // a role stands here
    kCellRoleMark29  = 0x20000000,   // role flag kRoleMarkBit29
};

// Special GUIDs in script operands.
constexpr uint16_t kGuidPlayer = 0xFFFE;
constexpr uint16_t kGuidNone = 0xFFFD;
constexpr uint16_t kGuidStarter = 0xFFF0;
constexpr uint16_t kGuidMapObject = 0xFFFF;

// Facing codes (ActRecord::dir of a role).
enum Facing : int32_t { kFaceN = 0, kFaceS, kFaceW, kFaceE, kFaceNW, kFaceSE, kFaceSW, kFaceNE };

struct RoleRecord {
    uint32_t firstWord = 0;
    int32_t x = 0, y = 0;          // map pixels; on a 16-pixel boundary while standing
    int32_t cellIndex = -1;        // index in gMap's cell grid of (x/16, y/16); -1 = none
    uint32_t flags = 0;
    uint32_t talkWindowBase = 0;   // where the role's talk window starts; 0 = not loaded
    uint32_t pathPc = 0;           // in 16-bit words from the start of the role's path
    uint16_t pathNumber = 0;       // 0 = no path
    uint16_t talkNumber = 0;       // story entry in the talk files
    uint16_t talkPc = 0;           // where that entry resumes
    uint16_t pathWait = 0;         // wait counter of path instructions 4 to 6
    uint16_t guid = 0;
    uint16_t talkLock = 0;         // answers the talk key only while 0
    int16_t drawOffsetX = 0, drawOffsetY = 0;
    uint32_t soundId = 0;          // low 16 bits; 0 = none
    uint32_t soundTimer = 0;       // low 16 bits the countdown, high 16 bits the interval (0xFFFF once)
    uint32_t textKind = 0;         // 0..10
    char* text = nullptr;          // owned zero-terminated copy, or null
    ActRecord* extraAct = nullptr; // attached by the talk machine, or null
    int32_t drawPlane = -1;        // draw-order plane the role is linked into; -1 = not linked
    int32_t drawBucket = -1;       // index of its bucket in that plane's heads
    RoleRecord* drawNext = nullptr; // next role in that bucket
    ActRecord act{};
};

extern RoleRecord gRole[kMaxRoles];
extern uint32_t TotalRole;
extern uint32_t gPlayerRole;
