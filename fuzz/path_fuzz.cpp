// Path matching: any game path against a small folder tree, resolved and
// opened the way the game opens its data.
#include <cstdint>
#include <string>
#include <vector>

#include "base/file.h"
#include "fuzz/support/fuzz_support.h"
#include "platform/plat_file.h"

namespace {
// A tree with names that differ only in letter case.
void MakeTree() {
    static const uint8_t kByte = 1;
    for (const char* name : {"Data\\Map1.cm", "data\\map2.CM", "Save\\Save01.sav", "Music\\Track.MP3", "Env.dat"}) {
        PutFuzzFile(name, &kByte, 1);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 512) return 0;
    static bool treeMade = false;
    if (!treeMade) {
        MakeTree();
        treeMade = true;
    }
    // Names are C texts: a NUL ends them.
    std::string name(reinterpret_cast<const char*>(data), size);
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    std::string gamePath = FuzzFolder() + name;
    std::string host = PlatResolvePath(gamePath.c_str());
    PlatResolvePath(name.c_str());
    // Only reads: a fuzzed name must never create or change a file.
    cFile file;
    if (file.Open(gamePath.c_str(), kOpenExisting, kGenericRead)) {
        uint8_t byte = 0;
        uint32_t count = 1;
        file.Read(&byte, &count);
    }
    PlatPathExists(gamePath.c_str());
    PlatIsFolder(gamePath.c_str());
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    for (const char* name : {"data\\MAP1.cm", "DATA/map2.cm", "Save\\save01.SAV", "music\\track.mp3", "..\\x",
                             "Data\\\\Map1.cm", "env.DAT"}) {
        std::string s = name;
        WriteFuzzSeed(dir, std::to_string(std::hash<std::string>()(s) % 100000), std::vector<uint8_t>(s.begin(), s.end()));
    }
}
