// Fuzz target: object, action and level records parsed from a whole file's
// bytes ("mon.dat" and "level.dat" are read whole and parsed in memory).
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "tools/obj_db_writer.h"
#include "world/org/obj_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    ObjRecord object{};
    ActionRecord action{};
    LevelRecord level;
    for (uint32_t id : {1u, 2u, 3u, 3100u, 6050u, 65535u}) {
        ObjRecordInFile(file, id, &object);
        FreeRecordText(&object);
        ActionRecordInFile(file, id, &action);
    }
    for (int member = 0; member <= 5; ++member) LevelRecordInFile(file, member, member * 7, &level);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    auto put = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                               std::streamsize(bytes.size()));
    };
    put("mon.dat", BuildMonDat({{1, ObjectRecordBytes("Blade", 0x20, {{0, 3}, {13, 2}}, "sharp")},
                                {600, ObjectRecordBytes("Ring", 0, {})}},
                               {{2, ActionRecordBytes(10, 1, 0x8000)}}));
    put("level.dat", BuildLevelDat({{{1, 7}, LevelRecordBytes({{100, 50, 40}, {1, 2, 3, 4, 5, 6, 7, 8}, 900, {3}})}}));
}
