// Fuzz target of the path database reader: any bytes as "path.dat", every
// path of the table decoded instruction by instruction with its jump
// targets resolved, and the disassembler over the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/file_writer.h"
#include "tools/path_asm.h"
#include "world/script/path_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so a read past the end is caught.
    std::vector<uint8_t> bytes(data, data + size);
    PathData paths;
    if (!OpenPathData(&paths, bytes.data(), bytes.size())) return 0;
    const uint32_t count = paths.count < 256 ? paths.count : 256;
    for (uint32_t path = 0; path < count; ++path) {
        PathInstr in;
        for (uint32_t pc = 0, steps = 0; steps < 512; ++steps) {
            if (DecodePathInstr(paths, path, pc, &in) != kPathDecoded) break;
            for (uint32_t i = 0; i < in.listCount; ++i) (void)PathListFlag(paths, in, i);
            uint32_t to = 0;
            if (in.hasTarget && PathTargetPc(paths, path, in.target, &to) && to > pc) {
                pc = to;
                continue;
            }
            pc += in.words;
        }
    }
    if (size < 65536) (void)DisassemblePathDat(bytes);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* sources[] = {
        "path 1\ntop:\n  walkto 4 2\n  arrive\n  setwait 20\n  wait\n  jump top\n",
        "path 1\n  randomwalk\npath 2\n  follow 65534\n  ifnear 65534 2 near\n  restart\nnear:\n  say 1 \"hi\"\n  end\n",
        "path 3\n  ifallflags 1 2 3 x\n  ifanyflag x\nx:\n  followoffset 65534 -1 2\n  word 90\n",
    };
    int n = 0;
    for (const char* source : sources) {
        std::vector<uint8_t> bytes;
        if (AssemblePathDat(source, &bytes, nullptr))
            WriteBytesToFile((dir + "/path_" + std::to_string(n++) + ".dat").c_str(), bytes);
    }
}
