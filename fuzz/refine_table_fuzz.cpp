// Fuzz target: the refining table of the maps.dat image and the result
// search over it. The input is the image; the table's reader must stay
// inside it, and the search must answer an id for any pair of inputs.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "menu/refine/refine_table.h"
#include "tools/maps_writer.h"
#include "tools/refine_writer.h"
#include "world/game_buffers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    gMapsImage = image.data();
    gMapsImageSize = uint32_t(image.size());
    RefineTable table;
    LoadRefineTable(&table);
    // Object tables with a few entries of every kind of type, level and mark.
    RefineObjTables objs;
    objs.e.assign(kRefineObjIds, RefineObjEntry{});
    for (uint32_t id = 101; id < kRefineObjIds; id += 37) {
        const uint8_t b = size ? data[id % size] : 0;
        objs.e[id] = RefineObjEntry{b & 15, b >> 2, (b & 1) ? 0x800 : 0, (b & 2) ? 1 : 0};
    }
    const RefineInput inputs[] = {{0, -1, 0}, {1, 0, 0}, {2, 15, 99}, {3, 21, 3}, {4, 16, 65535}, {65535, 9, 1}};
    for (const RefineInput& a : inputs)
        for (const RefineInput& b : inputs) FindRefineResultId(table, objs, a, b);
    for (const RefineTriple& t : table.triples) FindRefineResultId(table, objs, {t.a, 0, 0}, {t.b, 0, 0});
    gMapsImage = nullptr;
    gMapsImageSize = 0;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    MapsDatSpec spec;
    spec.raw[kRefineTableImageSlot] = RefineTableBytes({{{9, 9}, 3}, {{15, 15}, 5}}, {{10, 12, 150}, {13, 20, 160}});
    const std::vector<uint8_t> image = BuildMapsImage(spec);
    std::ofstream(dir + "/refine-table", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
    // The same image cut inside the type table.
    const size_t cut = std::min(image.size(), size_t(200));
    std::ofstream(dir + "/refine-table-cut", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(cut));
}
