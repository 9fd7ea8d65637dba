// What the refining page computes from: the refining table of the maps.dat
// image (table 24: a 16 x 16 table of result types, then recipe triples) and
// the object tables it builds from "mon.dat" on entry (type, level, kind
// bits and no-result byte of every object that may be a result).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bytes.h"

constexpr int kRefineTableImageSlot = 24;  // the image's dword at byte 96
constexpr int kRefineTypes = 16;           // the type table is 16 x 16
constexpr int kRefineObjIds = 3400;        // object tables cover ids 0..3399
constexpr uint16_t kRefineFallbackResult = 298;
constexpr uint16_t kRefineTripleEnd = 65535;
// No stored table comes near this; a longer list has lost its end.
constexpr size_t kRefineTriplesMax = 4096;
constexpr int kRefineStoryType = 15;       // type 21 counts as this in the table
constexpr int kRefineOddType = 21;
constexpr uint32_t kRefineCapturable = 0x800;

struct RefineTriple {
    uint16_t a, b, result;
};

struct RefineTable {
    bool ok = false;                            // the type table was read whole
    uint16_t types[kRefineTypes * kRefineTypes] = {};
    std::vector<RefineTriple> triples;
};

// The table from a reader at its start: 256 u16 types, then triples until an
// id of 65535 or more, the reader's end or kRefineTriplesMax triples. False
// (and nothing taken) when the 256 types are not all there; a triple cut by
// the end is dropped.
bool ParseRefineTable(ByteReader& in, RefineTable* out);
// From the current gMapsImage.
bool LoadRefineTable(RefineTable* out);

// One object table entry; -1 where "mon.dat" has no record.
struct RefineObjEntry {
    int32_t type = -1;
    int32_t level = -1;
    int64_t kind = -1;
    int32_t noResult = -1;
};
struct RefineObjTables {
    std::vector<RefineObjEntry> e;  // kRefineObjIds entries once built
    const RefineObjEntry* At(uint32_t id) const { return id < e.size() ? &e[id] : nullptr; }
};
// Every id 0..3399 except 501..3000 that "mon.dat" holds.
void BuildRefineObjTables(RefineObjTables* out);

// An input of the refining: its id, type and level.
struct RefineInput {
    uint16_t id;
    int type;
    int level;
};
// The result id for two inputs: a recipe triple (either order) first, else
// the nearest candidate of the table's result type, else item 298.
uint16_t FindRefineResultId(const RefineTable& table, const RefineObjTables& objs, const RefineInput& one,
                            const RefineInput& two);
