#include "tools/tsw_writer.h"

#include "base/bytes.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "draw/pack_file.h"

namespace {

constexpr uint16_t kTswMagic = 0xABCD;
constexpr uint32_t kTswDescriptorSize = 36;

bool PackBytes(const std::vector<uint8_t>& in, std::vector<uint8_t>* out) {
    out->clear();
    if (in.empty()) return true;
    uint32_t packedLength = 0;
    uint8_t* packed = CompressBuffer(in.data(), uint32_t(in.size()), &packedLength);
    if (!packed) return false;
    out->assign(packed, packed + packedLength);
    FreeMem(packed);
    return true;
}

} // namespace

std::vector<uint8_t> BuildTswEntry(const TswEntryData& entry) {
    std::vector<std::vector<uint8_t>> packed(entry.frames.size());
    for (size_t f = 0; f < entry.frames.size(); ++f) {
        if (!PackBytes(entry.frames[f].bytes, &packed[f])) return {};
    }
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(0);
    w.u16(kTswMagic);
    w.u16(0);
    w.u16(entry.depth);
    w.u16(0);
    if (entry.depth == 8) {
        for (size_t c = 0; c < 256; ++c) w.u16(c < entry.palette.size() ? entry.palette[c] : 0);
    }
    const size_t descriptors = out.size();
    w.padding(kTswDescriptorSize * entry.frames.size());
    for (size_t f = 0; f < entry.frames.size(); ++f) {
        const size_t d = descriptors + kTswDescriptorSize * f;
        w.putU32At(d + 0, uint32_t(out.size()));
        w.putU32At(d + 4, uint32_t(packed[f].size()));
        w.putU32At(d + 8, uint32_t(entry.frames[f].bytes.size()));
        w.putU16At(d + 32, entry.frames[f].width);
        w.putU16At(d + 34, entry.frames[f].height);
        w.bytes(packed[f].data(), packed[f].size());
    }
    return out;
}

std::vector<uint8_t> BuildTswPack(const std::vector<TswEntryData>& entries) {
    std::vector<PackEntryData> packEntries;
    for (const TswEntryData& e : entries) packEntries.push_back({e.index, BuildTswEntry(e), 0});
    return BuildPackFile(packEntries);
}

std::vector<uint8_t> RawFrameBytes16(const std::vector<uint16_t>& pixels) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (uint16_t p : pixels) w.u16(p);
    return out;
}
