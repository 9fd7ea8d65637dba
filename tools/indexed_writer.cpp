#include "tools/indexed_writer.h"

#include "base/bytes.h"

std::vector<uint8_t> BuildIndexedData(const std::vector<uint8_t>& head,
                                      const std::vector<std::vector<uint8_t>>& records) {
    constexpr size_t kHead = 512;
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.bytes(head.data(), head.size() < kHead ? head.size() : kHead);
    w.padTo(kHead);
    const size_t table = w.tell();
    w.padding(records.size() * 4);
    for (size_t n = 0; n < records.size(); ++n) {
        w.putU32At(table + 4 * n, static_cast<uint32_t>(w.tell() - kHead));
        w.bytes(records[n].data(), records[n].size());
    }
    return out;
}
