// Fuzz target: the slots of the spirit file "kyvghost.dat".
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "tools/obj_db_writer.h"
#include "world/spirit/spirit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SpiritRecord spirit{};
    for (int n = -1; n <= kSpiritElements; ++n) SpiritSlotInFile(data, size, n, &spirit);
    ByteReader in(data, size);
    ReadSpiritRecord(in, &spirit);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    SpiritRecord fire{};
    fire.Field(kSpiritElementField) = 3;
    fire.Field(60) = 18;
    std::vector<uint8_t> file = BuildGhostFile({{3, fire}});
    std::ofstream(dir + "/kyvghost.dat", std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                                 std::streamsize(file.size()));
}
