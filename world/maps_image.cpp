#include "world/maps_image.h"

#include <cstdint>

#include "world/game_buffers.h"

namespace {

size_t TableOffsetIn(const uint8_t* image, size_t size, int n) {
    if (n < 0 || n >= kMapsTableCount) return SIZE_MAX;
    ByteReader head(image, size);
    if (!head.seek(size_t(n) * 4)) return SIZE_MAX;
    uint32_t offset = head.u32();
    // A table inside the offset table itself is no table (an image of zeros
    // has none).
    if (!head.ok() || offset < 4 * size_t(kMapsTableCount) || offset >= size) return SIZE_MAX;
    return offset;
}

} // namespace

ByteReader MapsTableIn(const uint8_t* image, size_t size, int n) {
    size_t offset = TableOffsetIn(image, size, n);
    if (offset == SIZE_MAX) return ByteReader(nullptr, 0);
    return ByteReader(image + offset, size - offset);
}

ByteReader MapsTable(int n) { return MapsTableIn(gMapsImage, gMapsImageSize, n); }

size_t MapsTableOffset(int n) { return TableOffsetIn(gMapsImage, gMapsImageSize, n); }
