#include "tools/refine_writer.h"

#include "tools/obj_db_writer.h"

namespace {
constexpr size_t kBlockFirst = 84, kBlockBytes = 79;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
} // namespace

std::vector<uint8_t> RefineTableBytes(const std::map<std::pair<int, int>, uint16_t>& types,
                                      const std::vector<RefineRecipe>& recipes) {
    std::vector<uint8_t> out;
    for (int a = 0; a < 16; ++a)
        for (int b = 0; b < 16; ++b) {
            const auto it = types.find({a, b});
            Put16(out, it == types.end() ? 0 : it->second);
        }
    for (const RefineRecipe& r : recipes)
        for (uint16_t v : r) Put16(out, v);
    Put16(out, 0xFFFF);
    return out;
}

std::vector<uint8_t> BlockObjectBytes(const std::string& name, uint32_t typeBits,
                                      const std::map<int, uint16_t>& blockWords, const std::string& description) {
    std::vector<uint8_t> block(kBlockBytes, 0);
    for (const auto& [offset, v] : blockWords) {
        if (offset < int(kBlockFirst) || size_t(offset) + 1 >= kBlockFirst + kBlockBytes) continue;
        block[size_t(offset) - kBlockFirst] = uint8_t(v);
        block[size_t(offset) - kBlockFirst + 1] = uint8_t(v >> 8);
    }
    TagStream s;
    s.Tag(1000).Text(name).Tag(25).U16(0).U32(typeBits).Tag(1).Raw(block);
    if (!description.empty()) s.Tag(30).Text(description);
    return s.End();
}
