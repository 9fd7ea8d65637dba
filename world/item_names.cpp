#include "world/item_names.h"

#include <algorithm>
#include <cstring>

#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/party/item_list.h"

char gItemNameBuf[kItemNameBytes];

namespace {
constexpr size_t kTextBytesMax = 256; // a table text longer than this has lost its end
} // namespace

// Bytes from the reader up to "%Q" (not included); false when the end is
// not found within the reader or within kTextBytesMax.
bool ReadQText(ByteReader& r, std::string* out) {
    out->clear();
    while (out->size() < kTextBytesMax) {
        const uint8_t c = r.u8();
        if (!r.ok()) return false;
        if (c == '%' && r.has(1) && r.data()[r.tell()] == 'Q') {
            r.skip(1);
            return true;
        }
        out->push_back(char(c));
    }
    return false;
}

bool MapsImageText(uint32_t offset, std::string* text) {
    ByteReader r(gMapsImage, gMapsImageSize);
    return r.seek(offset) && ReadQText(r, text);
}

const char* ItemNameOfId(uint16_t id) {
    gItemNameBuf[0] = 0;
    if (id == kPlaceholderItem) {
        std::memcpy(gItemNameBuf, kPlaceholderName, std::strlen(kPlaceholderName) + 1);
        return gItemNameBuf;
    }
    ByteReader table = MapsTable(kTableItemNames);
    if (!table.skip(size_t(id) * 4)) return gItemNameBuf;
    const uint32_t offset = table.u32();
    std::string name;
    if (!table.ok() || !MapsImageText(offset, &name)) return gItemNameBuf;
    const size_t n = std::min(name.size(), kItemNameBytes - 1);
    std::memcpy(gItemNameBuf, name.data(), n);
    gItemNameBuf[n] = 0;
    return gItemNameBuf;
}

const char* ItemName(const ItemRecord* record) {
    gItemNameBuf[0] = 0;
    if (!record) return gItemNameBuf;
    return ItemNameOfId(record->id);
}

