// Fuzz target of the talk script decoder: any bytes as a script window,
// walked instruction by instruction with TalkInstrLength, and as the code of
// a talk file (the first bytes choose four entries' offsets) given to the
// disassembler.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "tools/file_writer.h"
#include "tools/talk_asm.h"
#include "world/script/talk_ops.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so a read past the end is caught.
    std::vector<uint8_t> window(data, data + size);
    for (size_t at = 0, steps = 0; at < window.size() && steps < 4096; ++steps) {
        const uint32_t len = TalkInstrLength(window.data(), window.size(), at);
        at += len ? len : 1;
    }
    if (size > 65536) return 0;
    std::vector<uint8_t> file;
    ByteWriter w(file);
    w.padding(kTalkHeadBytes);
    const uint32_t codeAt = 4 * kTalkEntriesPerFile;
    for (uint32_t e = 0; e < kTalkEntriesPerFile; ++e) {
        uint32_t offset = codeAt;
        if (e < 4 && size > e) offset += data[e] % (size + 1);
        w.u32(offset);
    }
    w.bytes(data, size);
    std::vector<uint8_t> exact(file);
    (void)DisassembleTalkFile(1, exact);
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* sources[] = {
        "talk 0\ntop:\n  dlgw starter 0 \"hi\\xA4\\x40\"\n  ifflag 3 top\n  choice top next\nnext:\n  end\n",
        "talk 1\n  movewait 1 player 4 5\n  shake 2 -1 1 -1 1\n  shop 3 4 5\n  rvswitch 7 1 a b\na:\nb:\n  sequence \"%*intro.ani\"\n",
        "talk 1999\n  setvar 3 5\n  ifvarlt 3 6 x\nx:\n  runon\n  setflag 1\n  runoff\n  end\n",
    };
    int n = 0;
    for (const char* source : sources) {
        std::map<uint32_t, std::vector<uint8_t>> files;
        if (!AssembleTalkFiles(source, &files, nullptr)) continue;
        // The seed is the code after the offset table.
        const std::vector<uint8_t>& f = files.begin()->second;
        const std::vector<uint8_t> code(f.begin() + kTalkHeadBytes + 4 * kTalkEntriesPerFile, f.end());
        WriteBytesToFile((dir + "/talk_" + std::to_string(n++) + ".bin").c_str(), code);
    }
}
