#include "tools/pack_writer.h"

#include "base/bytes.h"
#include "draw/pack_file.h"

std::vector<uint8_t> BuildPackFile(const std::vector<PackEntryData>& entries, int lastIndex) {
    if (lastIndex > kPackRecordCount) lastIndex = kPackRecordCount;
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.padding(kPackHeadSize);
    w.padding(kPackTableSize);
    for (const PackEntryData& e : entries) {
        if (e.index < 1 || e.index > lastIndex) continue;
        const size_t record = kPackHeadSize + kPackRecordSize * size_t(e.index - 1);
        w.putU32At(record + 20, uint32_t(e.bytes.size()));
        w.putU32At(record + 24, uint32_t(out.size()));
        w.putU32At(record + 32, e.kind);
        w.bytes(e.bytes.data(), e.bytes.size());
    }
    return out;
}
