// Indexed data files (a 512-byte head, a table of offsets, the records), in
// memory and through an open file, and the image of "maps.dat".
#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/settings.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/indexed_writer.h"
#include "world/game_buffers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzResetPlatform();
    ResetSettings();
    CopyFolderText(gInstallPath, FuzzFolder().c_str());
    std::string path = PutFuzzFile("maps.dat", data, size);
    if (path.empty()) return 0;
    const size_t tables[] = {0, kIndexedHeadSize, size};
    for (size_t table : tables) {
        for (uint32_t n : {0u, 1u, 2u, 7u, 0x3FFFFFFFu, 0xFFFFFFFFu}) {
            size_t pos = 0;
            if (IndexedRecordPos(data, size, table, n, &pos) && pos > size) __builtin_trap();
        }
    }
    cFile file;
    if (file.Open(path.c_str(), kOpenExisting, kGenericRead)) {
        for (uint32_t n : {0u, 1u, 3u, 0xFFFFFFFFu}) {
            uint32_t pos = 0;
            if (IndexedRecordPos(file, kIndexedHeadSize, n, &pos) && pos > size) __builtin_trap();
        }
    }
    if (ReadMapsImage() == kMapsImageRead && gMapsImageSize + kMapsHeadBytes != size) __builtin_trap();
    FreeMapsImage();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    WriteFuzzSeed(dir, "three", BuildIndexedData({'h', 'e', 'a', 'd'}, {{1, 2, 3}, {}, {4, 5}}));
    WriteFuzzSeed(dir, "one", BuildIndexedData({}, {std::vector<uint8_t>(40, 7)}));
    WriteFuzzSeed(dir, "head", std::vector<uint8_t>(512, 0));
}
