#include "tools/maps_writer.h"

#include "base/bytes.h"
#include "tools/file_writer.h"
#include "world/maps_image.h"

namespace {

void PutWords(ByteWriter& w, std::initializer_list<uint16_t> words) {
    for (uint16_t v : words) w.u16(v);
}

std::vector<uint8_t> RoleDefTable(const std::vector<RoleDef>& defs) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const RoleDef& d : defs) {
        PutWords(w, {d.map, d.guid, d.act[0], d.act[1], d.act[2], d.cellX, d.cellY, d.talk, d.path,
                     uint16_t(d.pathPos), d.flags, d.kept});
    }
    w.u16(0xFFFF);
    w.padding(22);
    return out;
}

// Table 2: u32 0, u32 offset (within the table) of a list of u32 offsets of
// the 8-byte records, ended by 0; the records follow the list. Offsets in
// the list are from the image's start, so they are patched once the table's
// place is known (`tableOffset`).
std::vector<uint8_t> ObjectStateTable(const std::vector<std::vector<uint8_t>>& records, uint32_t tableOffset) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(0);
    w.u32(tableOffset + 8);
    size_t list = out.size();
    w.padding(4 * (records.size() + 1));
    for (size_t i = 0; i < records.size(); ++i) {
        w.putU32At(list + 4 * i, tableOffset + uint32_t(out.size()));
        std::vector<uint8_t> r = records[i];
        r.resize(8, 0);
        w.bytes(r.data(), r.size());
    }
    return out;
}

std::vector<uint8_t> EmptyTable() { return {0xFF, 0xFF, 0, 0, 0, 0, 0, 0}; }

} // namespace

std::vector<uint8_t> PartyRecordBytes(const MemberStats& m) {
    std::vector<uint8_t> out;
    WriteMemberStats(m, out);
    CrossPartyGauges(out.data());
    out.resize(kPartyRecordBytes);
    return out;
}

namespace {

// Table n of a MapsDatSpec, for a table that starts at image offset `at`.
std::vector<uint8_t> SpecTable(const MapsDatSpec& spec, int n, uint32_t at) {
    std::vector<uint8_t> t;
    ByteWriter tw(t);
    auto raw = spec.raw.find(n);
    if (raw != spec.raw.end()) {
        t = raw->second;
    } else if (n == kTableRoleDefs) {
        t = RoleDefTable(spec.roleDefs);
    } else if (n == kTableObjectStates) {
        t = ObjectStateTable(spec.objectStates, at);
    } else if (n == kTableStart) {
        for (uint16_t v : spec.start) tw.u16(v);
    } else if (n == kTableBag) {
        for (auto [id, count] : spec.bag) PutWords(tw, {id, count});
        PutWords(tw, {0, 0});
    } else if (n == kTableParty) {
        for (const MemberStats& m : spec.party) {
            std::vector<uint8_t> r = PartyRecordBytes(m);
            tw.bytes(r.data(), r.size());
        }
    } else if (n >= kTableMagic0 && n < kTableMagic0 + 4) {
        for (uint16_t id : spec.magic[n - kTableMagic0]) tw.u16(id);
        tw.u16(0);
    } else if (n >= kTableEquip0 && n < kTableEquip0 + 4) {
        for (uint16_t id : spec.equipment[n - kTableEquip0]) tw.u16(id);
    } else if (n == kTableBattleSteps) {
        for (uint16_t v : spec.battleSteps) tw.u16(v);
        tw.u16(0xFFFF);
    } else if (n == kTableMapNames) {
        for (const auto& [map, name] : spec.mapNames) {
            tw.u16(map);
            tw.bytes(name.data(), name.size());
            tw.u16(0x5125);
        }
        tw.u16(0xFFFF);
    } else {
        t = EmptyTable();
    }
    return t;
}

} // namespace

std::vector<uint8_t> BuildMapsImage(const MapsDatSpec& spec) {
    std::vector<uint8_t> image(4 * kMapsTableCount, 0);
    ByteWriter w(image);
    for (int n = 1; n < kMapsTableCount; ++n) {
        const std::vector<uint8_t> table = SpecTable(spec, n, uint32_t(image.size()));
        w.putU32At(4 * size_t(n), uint32_t(image.size()));
        w.bytes(table.data(), table.size());
        w.padTo((image.size() + 3) & ~size_t(3));
    }
    return image;
}

MapsTables MapsDatTables(const MapsDatSpec& spec) {
    MapsTables tables;
    for (int n = 1; n < kMapsTableCount; ++n) tables[n] = SpecTable(spec, n, MapsTableAt(tables, n));
    return tables;
}

std::vector<uint8_t> BuildMapsDat(const MapsDatSpec& spec) {
    std::vector<uint8_t> file(512, 0);
    std::vector<uint8_t> image = BuildMapsImage(spec);
    file.insert(file.end(), image.begin(), image.end());
    return file;
}

bool WriteMapsDat(const std::string& folder, const MapsDatSpec& spec) {
    return WriteBytesToFile((folder + "maps.dat").c_str(), BuildMapsDat(spec));
}
