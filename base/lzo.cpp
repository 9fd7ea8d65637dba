#include "base/lzo.h"

#include <lzo/lzo1x.h>

#include <climits>

#include "base/memory.h"

namespace {

// lzo_init checks the library's build against its header once.
struct LzoState {
    bool tried = false;
    bool ready = false;
};
LzoState gLzo;

bool LzoReady() {
    if (!gLzo.tried) {
        gLzo.tried = true;
        gLzo.ready = lzo_init() == LZO_E_OK;
    }
    return gLzo.ready;
}

using LzoCompressFn = int (*)(const lzo_bytep, lzo_uint, lzo_bytep, lzo_uintp, lzo_voidp);

uint8_t* CompressWith(LzoCompressFn compress, uint32_t workSize, const void* source, uint32_t length,
                      uint32_t* packedLength);

} // namespace

uint64_t LzoPackedBound(uint64_t length) { return length + length / 16 + 64 + 3; }

uint64_t LzoUnpackedBound(uint64_t packed) { return packed * 255; }

uint8_t* CompressBuffer(const void* source, uint32_t length, uint32_t* packedLength) {
    return CompressWith(lzo1x_1_compress, LZO1X_1_MEM_COMPRESS, source, length, packedLength);
}

uint8_t* CompressBuffer15(const void* source, uint32_t length, uint32_t* packedLength) {
    return CompressWith(lzo1x_1_15_compress, LZO1X_1_15_MEM_COMPRESS, source, length, packedLength);
}

namespace {

uint8_t* CompressWith(LzoCompressFn compress, uint32_t workSize, const void* source, uint32_t length,
                      uint32_t* packedLength) {
    if (packedLength) *packedLength = 0;
    if (!packedLength || (!source && length) || !LzoReady()) return nullptr;
    // Incompressible data grows, and the library's work memory depends on the
    // pointer size: both are sized from the library's own bounds.
    const uint64_t bound = LzoPackedBound(length);
    if (bound > static_cast<uint64_t>(INT_MAX - 16)) return nullptr;
    auto* output = static_cast<uint8_t*>(AllocZero(static_cast<int>(bound)));
    void* work = AllocZero(static_cast<int>(workSize));
    if (!output || !work) {
        FreeMem(output);
        FreeMem(work);
        return nullptr;
    }
    static const uint8_t kNothing = 0;
    lzo_uint packed = 0;
    const int result = compress(length ? static_cast<const uint8_t*>(source) : &kNothing, length,
                                        output, &packed, work);
    FreeMem(work);
    if (result != LZO_E_OK || packed > bound) {
        FreeMem(output);
        return nullptr;
    }
    *packedLength = static_cast<uint32_t>(packed);
    return output;
}

} // namespace

int DecompressBuffer(const void* source, void* destination, uint32_t sourceLength,
                     uint32_t* destinationLength) {
    if (!destinationLength) return kLzoError;
    const uint32_t capacity = *destinationLength;
    *destinationLength = 0;
    if (!source || (!destination && capacity) || !LzoReady()) return kLzoError;
    uint8_t spare = 0; // lets an empty destination take an empty stream
    lzo_uint unpacked = capacity;
    const int result = lzo1x_decompress_safe(static_cast<const uint8_t*>(source), sourceLength,
                                             destination ? static_cast<uint8_t*>(destination) : &spare,
                                             &unpacked, nullptr);
    if (result != LZO_E_OK) return result;
    *destinationLength = static_cast<uint32_t>(unpacked);
    return LZO_E_OK;
}
