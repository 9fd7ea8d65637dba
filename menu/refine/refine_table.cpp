#include "menu/refine/refine_table.h"

#include <climits>
#include <cstdlib>

#include "world/maps_image.h"
#include "world/org/obj_record.h"
#include "world/org/obj_tables.h"

namespace {

constexpr uint32_t kResultIdsLow[2] = {101, 3001};
constexpr uint32_t kResultIdsHigh[2] = {500, 3399};

bool ReadsIntoTables(uint32_t id) { return id < kRefineObjIds && (id <= 500 || id > 3000); }

// A type as the table indexes it, or -1 outside the table.
int TableType(int type) {
    if (type == kRefineOddType) type = kRefineStoryType;
    return type >= 0 && type < kRefineTypes ? type : -1;
}

} // namespace

bool ParseRefineTable(ByteReader& in, RefineTable* out) {
    RefineTable t;
    for (uint16_t& v : t.types) v = in.u16();
    if (!in.ok()) return false;
    while (t.triples.size() < kRefineTriplesMax) {
        RefineTriple r{};
        r.a = in.u16();
        if (!in.ok() || r.a >= kRefineTripleEnd) break;
        r.b = in.u16();
        r.result = in.u16();
        if (!in.ok()) break;
        t.triples.push_back(r);
    }
    t.ok = true;
    *out = std::move(t);
    return true;
}

bool LoadRefineTable(RefineTable* out) {
    ByteReader in = MapsTable(kRefineTableImageSlot);
    if (ParseRefineTable(in, out)) return true;
    *out = RefineTable{};
    return false;
}

void BuildRefineObjTables(RefineObjTables* out) {
    out->e.assign(kRefineObjIds, RefineObjEntry{});
    ObjRecord r{};
    for (uint32_t id = 0; id < kRefineObjIds; ++id) {
        if (!ReadsIntoTables(id) || !ReadObjRecord(&r, id)) continue;
        RefineObjEntry& e = out->e[id];
        e.type = r.kind;
        e.level = r.word88;
        e.kind = r.typeBits;
        e.noResult = int8_t(r.byte161);
        FreeRecordText(&r);
    }
    FreeRecordText(&r);
}

uint16_t FindRefineResultId(const RefineTable& table, const RefineObjTables& objs, const RefineInput& one,
                            const RefineInput& two) {
    for (const RefineTriple& r : table.triples)
        if ((r.a == one.id && r.b == two.id) || (r.a == two.id && r.b == one.id)) return r.result;
    const int t1 = TableType(one.type), t2 = TableType(two.type);
    if (!table.ok || t1 < 0 || t2 < 0) return kRefineFallbackResult;
    const int wanted = table.types[t1 * kRefineTypes + t2];
    const int target = (one.level + two.level) / 2 + 3;
    const bool downward = (((one.type + two.type) / 2) & 1) != 0;
    int best = INT_MAX;
    uint16_t found = kRefineFallbackResult;
    for (int range = 0; range < 2; ++range) {
        for (uint32_t id = kResultIdsLow[range]; id <= kResultIdsHigh[range]; ++id) {
            const RefineObjEntry* e = objs.At(id);
            if (!e || e->type != wanted || e->noResult == 1) continue;
            if (range == 0 && !(e->kind & kRefineCapturable)) continue;
            const int distance = downward ? target - e->level : e->level - target;
            if (distance < 0 || distance >= best) continue;
            best = distance;
            found = uint16_t(id);
        }
    }
    return found;
}
