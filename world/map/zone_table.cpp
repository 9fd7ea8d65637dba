#include "world/map/zone_table.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "draw/rle.h"

ZoneTable gZoneTable;

namespace {
uint32_t ClampScale(uint32_t v) { return std::clamp(v, kZoneMinScale, kZoneMaxScale); }
}

void ResetZoneTable() {
    gZoneTable.mode = 0;
    gZoneTable.defaultValue = kZoneDefault;
    gZoneTable.rows.clear();
    gZoneTable.rows.shrink_to_fit();
    for (int i = 0; i < kZoneEntries; ++i) {
        gZoneTable.regions[i] = kZoneDefault;
        gZoneTable.values[i] = int16_t(kZoneDefault);
    }
    gZoneTable.mask.clear();
    gZoneTable.mask.shrink_to_fit();
}

void LoadZoneA(const uint8_t* data, uint32_t size) {
    ByteReader r(data, size);
    for (int i = 0; i < kZoneEntries; ++i) gZoneTable.values[i] = r.i16();
    if (!r.ok()) {
        // A section too short for its values leaves the table as it was reset.
        for (int16_t& v : gZoneTable.values) v = int16_t(kZoneDefault);
        return;
    }
    gZoneTable.mask.assign(data + 2 * kZoneEntries, data + size);
}

void LoadZoneB(const uint8_t* data, uint32_t size) {
    ByteReader r(data, size);
    const uint32_t mode = r.u32();
    const uint32_t count = r.u32();
    r.skip(8);
    if (!r.ok()) return;
    if (mode == 1) {
        if (!r.has(4u * kZoneEntries)) return;
        for (uint32_t& w : gZoneTable.regions) w = ClampScale(r.u32());
        gZoneTable.mode = 1;
    } else if (mode == 2) {
        // The count must fit the words the section holds.
        if (count > r.remaining() / 4) return;
        gZoneTable.rows.assign(count, 0);
        for (uint32_t& w : gZoneTable.rows) w = ClampScale(r.u32());
        gZoneTable.mode = 2;
    }
}

uint32_t GetZoneValue(int32_t x, int32_t y) {
    if (gZoneTable.mode == 1) {
        uint16_t index = 0;
        if (gZoneTable.mask.empty() ||
            !RleLookup(gZoneTable.mask.data(), gZoneTable.mask.size(), x, y, &index))
            return gZoneTable.defaultValue;
        // The mask holds indices of the 256 values; anything above is no zone.
        if (index >= kZoneEntries) return gZoneTable.defaultValue;
        return uint32_t(uint16_t(gZoneTable.values[index]));
    }
    if (gZoneTable.mode == 2) return uint32_t(y / 16);
    return gZoneTable.defaultValue;
}

uint32_t GetZoneEntry(int64_t i) {
    if (gZoneTable.mode == 1 && i >= 0 && i < kZoneEntries) return gZoneTable.regions[i];
    if (gZoneTable.mode == 2 && i >= 0 && i < int64_t(gZoneTable.rows.size())) return gZoneTable.rows[size_t(i)];
    return kZoneDefault;
}

uint32_t GetZoneFirstField() { return gZoneTable.mode; }

uint32_t ZoneScaleAt(int32_t x, int32_t y) {
    const uint32_t here = GetZoneEntry(int32_t(GetZoneValue(x, y)));
    if (gZoneTable.mode != 2) return here;
    const int32_t above = int32_t(GetZoneEntry(int32_t(GetZoneValue(x, y - 16))));
    const int32_t part = ((y % 16) + 16) % 16;
    return uint32_t((int32_t(here) - above) * part / 16 + above);
}
