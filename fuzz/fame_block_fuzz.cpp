// Fuzz target: the fame block of a saved game (LoadFameBlock).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "world/org/count_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadFameBlock(data, size);
    ParseFameRaw(data, size);
    FreeFameLists();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    auto put = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                               std::streamsize(bytes.size()));
    };
    std::vector<uint8_t> block;
    SaveFameBlock(block);
    put("empty-lists", block);
    AddCount(&gFameList1, 4, 3);
    AddCount(&gFameList2, 9, 20);
    SetCountPercent(&gFameList3, 12, 50, 7);
    SaveFameBlock(block);
    put("three-lists", block);
    put("raw-form", FameRawForm());
    FreeFameLists();
}
