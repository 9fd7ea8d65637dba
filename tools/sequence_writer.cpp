#include "tools/sequence_writer.h"

#include "base/bytes.h"
#include "base/lzo.h"
#include "base/memory.h"

std::vector<uint8_t> BuildFrameSequence(const SequenceData& data) {
    std::vector<std::vector<uint8_t>> packed;
    std::vector<uint32_t> unpackedSizes;
    for (const SequenceFrame& f : data.frames) {
        std::vector<uint8_t> raw;
        ByteWriter w(raw);
        for (const SequenceSpan& s : f.spans) {
            w.u32(uint32_t(s.pixels.size()) + 8);
            w.u32(s.offset);
            w.bytes(s.pixels.data(), s.pixels.size());
        }
        uint32_t size = 0;
        uint8_t* block = CompressBuffer(raw.data(), uint32_t(raw.size()), &size);
        packed.emplace_back(block, block + size);
        FreeMem(block);
        unpackedSizes.push_back(uint32_t(raw.size()));
    }
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(0x5145534B);
    w.u16(1);
    w.u16(data.depth);
    w.u16(640);
    w.u16(data.height);
    w.u32(uint32_t(data.frames.size()));
    w.u32(data.mode);
    const size_t tableField = w.tell();
    w.u32(0);
    w.u32(uint32_t(data.palettes.size()));
    const size_t paletteField = w.tell();
    w.u32(0);
    w.u32(0);
    w.putU32At(tableField, uint32_t(w.tell()));
    const size_t table = w.tell();
    w.padding(12 * packed.size());
    for (size_t i = 0; i < packed.size(); ++i) {
        w.putU32At(table + 12 * i, uint32_t(w.tell()));
        w.putU32At(table + 12 * i + 4, uint32_t(packed[i].size()));
        w.putU32At(table + 12 * i + 8, unpackedSizes[i]);
        w.bytes(packed[i].data(), packed[i].size());
    }
    // The palettes come last.
    w.putU32At(paletteField, uint32_t(w.tell()));
    for (const SequencePalette& p : data.palettes) {
        w.u32(p.frame);
        std::vector<uint8_t> rgb = p.rgb;
        rgb.resize(768, 0);
        w.bytes(rgb.data(), rgb.size());
    }
    return out;
}

SequenceSpan SolidSpan16(uint32_t offset, uint32_t count, uint16_t colour) {
    SequenceSpan s;
    s.offset = offset;
    for (uint32_t i = 0; i < count; ++i) {
        s.pixels.push_back(uint8_t(colour));
        s.pixels.push_back(uint8_t(colour >> 8));
    }
    return s;
}
