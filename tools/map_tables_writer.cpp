#include "tools/map_tables_writer.h"

#include "base/bytes.h"

uint32_t MapsTableAt(const MapsTables& tables, int index) {
    uint32_t at = kMapsOffsetTableBytes;
    for (const auto& [i, bytes] : tables) {
        if (i >= index) break;
        at += uint32_t(bytes.size());
    }
    return at;
}

std::vector<uint8_t> BuildMapsImage(const MapsTables& tables) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.padding(kMapsOffsetTableBytes);
    for (const auto& [i, bytes] : tables) {
        if (i < 0 || i >= 26) continue;
        w.putU32At(size_t(i) * 4, uint32_t(w.tell()));
        w.bytes(bytes.data(), bytes.size());
    }
    w.padding(4);
    return out;
}

std::vector<uint8_t> BuildMapsFile(const MapsTables& tables) {
    std::vector<uint8_t> out(512, 0);
    std::vector<uint8_t> image = BuildMapsImage(tables);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

std::vector<uint8_t> MapListTable(const std::vector<MapListRecord>& records) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const MapListRecord& r : records) {
        w.u16(r.map);
        w.u16(r.code);
        w.u8(uint8_t((r.shadow & 15) | (r.noEscape ? 0x10 : 0)));
        w.u8(r.weather);
        w.u8(uint8_t((r.walkStep & 15) | ((r.tint[2] & 15) << 4)));
        w.u8(uint8_t((r.tint[1] & 15) | ((r.tint[0] & 15) << 4)));
        w.u16(r.tilePeriod);
        w.u16(r.battleGroup);
        w.u16(r.options);
    }
    w.u16(0xFFFF);
    w.padding(12);
    return out;
}

std::vector<uint8_t> WordTable(const std::vector<uint16_t>& words) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (uint16_t v : words) w.u16(v);
    return out;
}

std::vector<uint8_t> MusicTable(uint32_t at, const std::vector<std::string>& trackNames,
                                const std::vector<std::vector<uint16_t>>& records) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(0);  // the name index
    w.u32(0);  // the place of the list's offset
    const uint32_t nameIndex = at + uint32_t(w.tell());
    w.putU32At(0, nameIndex);
    w.padding(4 * trackNames.size());
    for (size_t t = 0; t < trackNames.size(); ++t) {
        w.putU32At(nameIndex - at + 4 * t, at + uint32_t(w.tell()));
        w.u32(0);
        w.bytes(trackNames[t].data(), trackNames[t].size());
        w.u8(0);
    }
    const uint32_t place = at + uint32_t(w.tell());
    w.putU32At(4, place);
    w.u32(place + 4);
    for (const auto& r : records)
        for (size_t i = 0; i < 4; ++i) w.u16(i < r.size() ? r[i] : 0);
    w.u16(0);
    w.padding(6);
    return out;
}

std::vector<uint8_t> MapNamesTable(const std::vector<std::pair<uint16_t, std::string>>& names) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (const auto& [map, name] : names) {
        w.u16(map);
        w.bytes(name.data(), name.size());
        w.u16(0x5125);
    }
    w.u16(0xFFFF);
    return out;
}

std::vector<uint8_t> FightAreaTable(uint32_t at, const std::vector<FightAreaRecord>& areas) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.padding(14 * areas.size());
    w.u16(0xFFFF);
    w.padding(12);
    for (size_t i = 0; i < areas.size(); ++i) {
        const FightAreaRecord& a = areas[i];
        const uint32_t list = at + uint32_t(w.tell());
        const size_t r = 14 * i;
        w.putU16At(r, a.map);
        w.putU16At(r + 2, a.left);
        w.putU16At(r + 4, a.top);
        w.putU16At(r + 6, a.right);
        w.putU16At(r + 8, a.bottom);
        w.putU16At(r + 10, uint16_t(list));
        w.putU16At(r + 12, uint16_t(list >> 16));
        w.u16(uint16_t(a.fights.size()));
        for (uint16_t f : a.fights) w.u16(f);
    }
    return out;
}
