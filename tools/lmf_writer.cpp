#include "tools/lmf_writer.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "tools/rle_writer.h"

namespace {

std::vector<uint8_t> Pack(const void* data, size_t size) {
    uint32_t packed = 0;
    uint8_t* block = CompressBuffer(data, uint32_t(size), &packed);
    std::vector<uint8_t> out(block, block + packed);
    FreeMem(block);
    return out;
}
std::vector<uint8_t> Pack(const std::vector<uint8_t>& v) { return Pack(v.data(), v.size()); }

std::vector<uint8_t> Words32(const std::vector<uint32_t>& words) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (uint32_t v : words) w.u32(v);
    return out;
}

// Appends the section at the block's end and returns its offset from the block.
uint32_t Append(ByteWriter& w, size_t block, const std::vector<uint8_t>& bytes) {
    const uint32_t at = uint32_t(w.tell() - block);
    w.bytes(bytes.data(), bytes.size());
    return at;
}

void WritePixelLayer(ByteWriter& w, size_t block, const LmfMap& m, uint32_t* pixelAt) {
    const uint32_t total = uint32_t(m.pixels.size());
    const uint32_t b = std::max<uint32_t>(1, m.blockSize);
    std::vector<std::vector<uint8_t>> blocks;
    for (uint32_t done = 0; done < total; done += b)
        blocks.push_back(Pack(m.pixels.data() + done, std::min(b, total - done)));
    *pixelAt = uint32_t(w.tell() - block);
    if (m.layout == 0) {
        const size_t head = w.tell();
        w.u32(0);
        w.u32(b);
        w.u32(total);
        w.u32(0);
        w.padTo(head + 1024);
        for (size_t k = 0; k < blocks.size() && k < 126; ++k) {
            const uint32_t at = Append(w, block, blocks[k]);
            w.putU32At(head + 16 + 8 * k, at);
            w.putU32At(head + 20 + 8 * k, uint32_t(blocks[k].size()));
        }
    } else {
        const size_t head = w.tell();
        w.padding(16);
        w.u32(total);
        w.u32(b);
        w.u32(0);
        for (size_t k = 0; k < 49; ++k) {
            w.u32(k < blocks.size() ? uint32_t(blocks[k].size()) : 0);
            w.u32(0);
        }
        w.padTo(head + 424);
        for (size_t k = 0; k < blocks.size() && k < 49; ++k) w.bytes(blocks[k].data(), blocks[k].size());
    }
}

void WriteMap(ByteWriter& w, const LmfMap& m, LmfLayout* layout) {
    const size_t block = w.tell();
    w.u32(m.oldMagic ? 0x3246534D : 0x3346534D);
    w.padTo(block + 0x104);
    w.u16(m.width);
    w.u16(m.height);
    w.u16(m.depth);
    w.u16(m.kept);
    w.u16(m.frames);
    w.u16(0);
    w.u16(m.shadow);
    w.padTo(block + 0x118);
    for (uint32_t t : m.tiles) w.u32(t);
    w.padTo(block + 4 + 1024);  // the loader reads a whole 1024-byte header

    auto field = [&](uint32_t at, uint32_t v) { w.putU32At(block + at, v); };
    std::vector<uint8_t> cells = Pack(Words32(m.cells));
    field(0x0C, Append(w, block, cells));
    field(0x10, uint32_t(cells.size()));

    std::vector<uint8_t> points;
    ByteWriter pw(points);
    pw.u32(uint32_t(m.points.size()));
    for (const LmfPoint& p : m.points) {
        pw.u32(p.number);
        for (uint32_t v : p.values) pw.u32(v);
        char name[32] = {};
        std::memcpy(name, p.name.data(), std::min<size_t>(p.name.size(), 31));
        pw.bytes(name, 32);
    }
    field(0x14, Append(w, block, points));
    field(0x18, uint32_t(points.size()));

    // Picture data first, then the table that points at it.
    std::vector<uint32_t> picAt, picPacked, picUnpacked;
    for (const LmfPicture& p : m.pictures) {
        std::vector<uint8_t> bytes;
        if (p.head) {
            ByteWriter hw(bytes);
            hw.u16(p.act);
            hw.u16(p.qq);
            hw.padding(12);
            picUnpacked.push_back(16);
        } else {
            bytes = Pack(p.frame);
            picUnpacked.push_back(uint32_t(p.frame.size()));
        }
        picAt.push_back(Append(w, block, bytes));
        picPacked.push_back(uint32_t(bytes.size()));
    }
    std::vector<uint8_t> table;
    ByteWriter tw(table);
    tw.u16(uint16_t(m.pictures.size()));
    tw.padding(6);
    for (size_t i = 0; i < m.pictures.size(); ++i) {
        tw.u32(picAt[i]);
        tw.u32(picUnpacked[i]);
        tw.u32(picPacked[i]);
        tw.u16(m.pictures[i].id);
        tw.u16(m.pictures[i].head ? 0x100 : 0);
    }
    field(0x1C, Append(w, block, table));
    field(0x20, uint32_t(table.size()));

    std::vector<uint8_t> objects;
    ByteWriter ow(objects);
    ow.u16(uint16_t(m.objects.size()));
    ow.padding(6);
    for (const LmfObject& o : m.objects) {
        ow.u16(o.picId);
        ow.u16(o.x);
        ow.u16(o.top);
        ow.u16(0);
        ow.u16(o.foot);
        ow.u16(uint16_t(((o.planeCode & 3) << 8) | ((o.offsetX & 15) << 4) | (o.offsetY & 15)));
        ow.u32(0);
    }
    field(0x24, Append(w, block, objects));
    field(0x28, uint32_t(objects.size()));

    if (!m.mapPictures.empty()) {
        std::vector<uint32_t> at, packedSize;
        for (const LmfMapPicture& p : m.mapPictures) {
            std::vector<uint8_t> packed = Pack(p.frame);
            at.push_back(Append(w, block, packed));
            packedSize.push_back(uint32_t(packed.size()));
        }
        std::vector<uint8_t> list;
        ByteWriter lw(list);
        lw.u16(uint16_t(m.mapPictures.size()));
        lw.padding(6);
        for (size_t i = 0; i < m.mapPictures.size(); ++i) {
            const LmfMapPicture& p = m.mapPictures[i];
            lw.u32(at[i]);
            lw.u32(packedSize[i]);
            lw.u32(uint32_t(p.frame.size()));
            lw.u16(uint16_t((p.kind & 7) | ((p.rateX & 15) << 3) | ((p.rateY & 15) << 7)));
            lw.u8(p.left);
            lw.u8(p.top);
            lw.u8(p.right);
            lw.u8(p.bottom);
            lw.padding(6);
        }
        field(0x2C, Append(w, block, list));
        field(0x30, uint32_t(list.size()));
    }

    uint32_t pixelAt = 0;
    if (!m.pixels.empty()) {
        WritePixelLayer(w, block, m, &pixelAt);
        field(0x3C, pixelAt);
    }

    if (m.zoneA) {
        std::vector<uint8_t> unpacked;
        ByteWriter zw(unpacked);
        for (int i = 0; i < 256; ++i) zw.i16(i < int(m.zoneValues.size()) ? m.zoneValues[size_t(i)] : 0);
        zw.bytes(m.zoneMask.data(), m.zoneMask.size());
        std::vector<uint8_t> section;
        ByteWriter sw(section);
        sw.u32(0);
        sw.u32(uint32_t(unpacked.size()));
        std::vector<uint8_t> packed = Pack(unpacked);
        sw.bytes(packed.data(), packed.size());
        field(0x44, Append(w, block, section));
        field(0x48, uint32_t(section.size()));
    }
    if (m.zoneMode != 0) {
        std::vector<uint8_t> unpacked;
        ByteWriter zw(unpacked);
        zw.u32(m.zoneMode);
        zw.u32(uint32_t(m.zoneWords.size()));
        zw.padding(8);
        for (uint32_t v : m.zoneWords) zw.u32(v);
        std::vector<uint8_t> packed = Pack(unpacked);
        field(0x4C, Append(w, block, packed));
        field(0x50, uint32_t(packed.size()));
        field(0x54, uint32_t(unpacked.size()));
    }
    if (layout) {
        layout->blockAt.push_back(uint32_t(block));
        layout->pixelAt.push_back(pixelAt);
    }
}

} // namespace

std::vector<uint8_t> BuildLmf(const std::vector<LmfMap>& maps, LmfLayout* layout) {
    if (layout) *layout = LmfLayout{};
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.u32(0);
    std::vector<uint32_t> blocks;
    for (const LmfMap& m : maps) {
        blocks.push_back(uint32_t(w.tell()));
        WriteMap(w, m, layout);
    }
    const uint32_t dir = uint32_t(w.tell());
    w.putU32At(0, dir);
    for (size_t i = 0; i < maps.size(); ++i) {
        w.u32(blocks[i]);
        w.u32(0);
        w.u32(maps[i].code);
        w.u32(0);
    }
    w.u8(0);  // the count is (size - D - 1) / 16
    if (layout) layout->directoryAt = dir;
    return out;
}

std::vector<uint8_t> SolidTiles16(const std::vector<uint16_t>& colours) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (uint16_t c : colours)
        for (int i = 0; i < 256; ++i) w.u16(c);
    return out;
}

std::vector<uint8_t> SolidTiles8(const std::vector<uint16_t>& palette, const std::vector<uint8_t>& indices) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    for (int i = 0; i < 256; ++i) w.u16(i < int(palette.size()) ? palette[size_t(i)] : 0);
    for (uint8_t c : indices) w.padding(256, c);
    return out;
}

std::vector<uint8_t> SolidFrame(int width, int height, uint16_t colour) {
    return RleFromPixels(std::vector<uint16_t>(size_t(width) * size_t(height), colour), width, height);
}
