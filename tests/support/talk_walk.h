// Walks a talk file ("Talk%d.dat") entry by entry with the game's own length
// rule (TalkInstrLength), for tests of written talk files.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "world/script/talk_ops.h"

struct TalkWalk {
    bool ok = true;
    std::string error;           // where the walk stopped
    std::set<uint16_t> opcodes;  // every opcode met
    uint32_t instructions = 0;
};

// The entries lie in ascending order and each runs to the next one's start
// (the last to the end of the file); every one must decode instruction by
// instruction and end exactly there.
inline TalkWalk WalkTalkFile(const std::vector<uint8_t>& file) {
    TalkWalk w;
    auto u32 = [&](size_t at) {
        return uint32_t(file[at] | file[at + 1] << 8 | file[at + 2] << 16 | uint32_t(file[at + 3]) << 24);
    };
    if (file.size() < kTalkHeadBytes + 4 * kTalkEntriesPerFile) return {false, "the file has no entry table", {}, 0};
    std::set<uint32_t> starts;
    for (uint32_t e = 0; e < kTalkEntriesPerFile; ++e) starts.insert(kTalkHeadBytes + u32(kTalkHeadBytes + 4 * e));
    starts.insert(uint32_t(file.size()));
    for (auto it = starts.begin(); std::next(it) != starts.end(); ++it) {
        size_t at = *it;
        const size_t end = *std::next(it);
        while (at < end) {
            const uint32_t length = TalkInstrLength(file.data(), file.size(), at);
            if (length == 0) return {false, "no instruction at byte " + std::to_string(at), w.opcodes, w.instructions};
            w.opcodes.insert(uint16_t((file[at] | file[at + 1] << 8) & kTalkOpMask));
            ++w.instructions;
            at += length;
        }
        if (at != end) return {false, "the entry at byte " + std::to_string(*it) + " runs past the next", w.opcodes, w.instructions};
    }
    return w;
}
