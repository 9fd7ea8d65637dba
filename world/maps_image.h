// The tables of the "maps.dat" image (gMapsImage, the file from byte 512).
// Table n starts at the u32 offset stored at image byte 4n; every table is
// read through MapsTable, which bounds it by the image's end
// (docs/maps-dat.md lists what each table holds).
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/bytes.h"

enum MapsTableId : int {
    kTableRoleDefs = 1,
    kTableObjectStates = 2,
    kTableMapRecords = 3,
    kTableStart = 4,
    kTableBag = 5,
    kTableParty = 6,
    kTableFightAreas = 7,
    kTableMagic0 = 9,    // 9..12: the members' magic lists
    kTableEquip0 = 13,   // 13..16: the members' equipment tables
    kTableMenuTexts = 17,
    kTableBattleSteps = 18,
    kTableItemNames = 19,
    kTableMapNames = 20,
    kTableRoleSounds = 21,
    kTableExitGroups = 22,
    kTableTravel = 23,
    kTableMapLoad = 24,
    kTableArrivalFlags = 25,
    kMapsTableCount = 26,  // tables 0..25 (0 is unused)
};

// A reader over table n, from its start to the image's end; an empty
// reader (ok() false after the first read) when the image is missing or the
// offset lies outside it.
ByteReader MapsTable(int n);
// The same over any image's bytes (tests, fuzzing).
ByteReader MapsTableIn(const uint8_t* image, size_t size, int n);
// Byte offset of table n in gMapsImage, or SIZE_MAX.
size_t MapsTableOffset(int n);
