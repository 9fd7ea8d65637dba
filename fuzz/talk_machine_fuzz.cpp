// Fuzz target of the talk machine: any bytes as the code of a talk file
// whose first four entries start at offsets the first bytes choose, run for
// a few frames from each of those entries (the loader's checks of entries
// and jump targets, the program counter's bounds, the variable instructions,
// the budget and the end).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/game_state.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/talk_asm.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"

namespace {
constexpr int kEntries = 4;
constexpr int kFrames = 48;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 65536) return 0;
    FuzzResetPlatform();
    ResetErrorBoxes();
    ResetTalkMachine();
    std::vector<uint8_t> file;
    ByteWriter w(file);
    w.padding(kTalkHeadBytes);
    for (uint32_t e = 0; e < kTalkEntriesPerFile; ++e) {
        // Below 0xF0 an offset into the code after the four option bytes;
        // from 0xF0 one that may fall into the table or past the file.
        uint32_t offset = kTalkFirstCodeOffset;
        if (e < kEntries && size > e)
            offset = data[e] < 0xF0 ? kTalkFirstCodeOffset + kEntries + 2 * data[e] : (data[e] - 0xF0) * 0x1000u;
        w.u32(offset);
    }
    w.bytes(data, size);
    SetTalkFileBytes(1, file);
    for (RoleRecord& r : gRole) r = RoleRecord{};
    TotalRole = 2;
    gPlayerRole = 0;
    gRole[0].guid = 1;
    gRole[0].flags = gRole[1].flags = kRoleActive;
    gRole[1].guid = 2;
    gRole[1].x = gRole[1].y = 32;
    for (uint32_t talk = 0; talk < kEntries; ++talk) {
        gGameMode = 0;
        IdleTalkContext();
        StartStoryTalk(talk, talk & 1 ? kTalkGuidNone : 2);
        for (int frame = 0; frame < kFrames && !TalkContextIdle(); ++frame) RunTalk(gTalkContext);
        EndRunningTalk();
    }
    ResetTalkMachine();
    for (RoleRecord& r : gRole) r = RoleRecord{};
    TotalRole = 0;
    gGameMode = 0;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    const char* sources[] = {
        "talk 0\n  setvar 3 5\nloop:\n  addvar 3 1\n  runoff\n  ifvargt 3 9 loop\n  end\n",
        "talk 1\n  runon\n  setvar32 4 0x80000000\n  subvar 4 1\n  nop\n  runoff\n  end\n",
        "talk 2\ntop:\n  ifvarlt 1 0 top\n",
        "talk 3\n  setvar 64 1\n  word 0x0C0C\n",
    };
    int n = 0;
    for (const char* source : sources) {
        std::map<uint32_t, std::vector<uint8_t>> files;
        if (!AssembleTalkFiles(source, &files, nullptr)) continue;
        // The seed is the code after the offset table (the shared end, then
        // the entry), with four option bytes in front that start every entry
        // at the entry's code.
        const std::vector<uint8_t>& f = files.begin()->second;
        const size_t code = kTalkHeadBytes + kTalkFirstCodeOffset;
        WriteFuzzSeed(dir, "talk_" + std::to_string(n++), FuzzJoin({1, 1, 1, 1}, f.data() + code, f.size() - code));
    }
}
