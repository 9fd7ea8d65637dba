// The instruction set of path scripts: one table with each opcode's
// mnemonic, its length in 16-bit words and where its jump target stands.
// The interpreter, the assembler and the disassembler all read this table.
#pragma once
#include <cstdint>

constexpr uint16_t kPathOpCount = 38; // opcodes 0..37

enum PathOp : uint16_t {
    kOpRestart = 0, kOpEnd, kOpSetQq, kOpSetDir, kOpSetWait, kOpWait, kOpWaitAnimate, kOpWalkTo, kOpArrive,
    kOpWaitClock, kOpIfClock, kOpSetClock, kOpJump, kOpIfFlag, kOpIfNotFlag, kOpIfAllFlags, kOpIfAnyFlag,
    kOpSetFlag, kOpClearFlag, kOpSetVar, kOpAddVar, kOpSubVar, kOpIfVarAtLeast, kOpIfVarAtMost, kOpRestartRole,
    kOpIfClockSince, kOpMarkClock, kOpHide, kOpShow, kOpPlace, kOpRandomWalk, kOpSetAct, kOpSound, kOpFollow,
    kOpSay, kOpUnsay, kOpFollowOffset, kOpIfNear,
};

// How an instruction's length is found.
enum PathOpShape : uint8_t {
    kShapeFixed = 0, // `words` words
    kShapeFlagList,  // opcode, flags.., 0xFFFF, u32 target
    kShapeText,      // opcode, kind, text bytes up to and including "%Q", padded to a word
};

struct PathOpInfo {
    const char* name;
    uint8_t words;     // fixed length, opcode included
    int8_t targetAt;   // word index of the u32 jump target, -1 none (flag lists: after the list)
    PathOpShape shape;
    uint8_t signedMask; // bit i: word i of the instruction (the opcode is word 0) is signed
};

extern const PathOpInfo kPathOps[kPathOpCount];

constexpr uint16_t kPathListEnd = 0xFFFF;
// Longest flag list and text an instruction may carry before the file is
// taken to be damaged.
constexpr uint32_t kPathMaxListFlags = 64;
constexpr uint32_t kPathMaxTextBytes = 510;

// Opcode of a mnemonic; -1 when none.
int FindPathOp(const char* name);
