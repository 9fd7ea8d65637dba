// The talk machine: runs the story's talk scripts, one talk at a time, a few
// instructions per frame (see docs/talk-scripts.md).
//
// The running talk's code lives in a private 32768-byte window copied out of
// the talk file, which the machine keeps in memory; instructions that wait
// write their state bits into this copy, never into the file's bytes.
//
// Each instruction is run by a handler of its family (flow, flags, values and
// dialogs in talk_flow; roles, movement and view in talk_role; effects, party,
// items, media and system in talk_media; the variable instructions, the
// run-on switches and the end in the machine itself). Before a handler runs,
// the machine has checked with the opcode table that the whole instruction,
// with every operand, text and list, lies inside the window, so a handler
// reads its operands in the order of its signature without further checks.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/bytes.h"
#include "world/script/talk_flow.h"
#include "world/script/talk_media.h"
#include "world/script/talk_ops.h"
#include "world/script/talk_role.h"
#include "world/talk_state.h"

// What a handler did with the program counter.
enum class TalkStep : uint8_t {
    kYield,     // advanced by the instruction's length; the frame ends (unless run-on)
    kContinue,  // advanced by its length; the next instruction runs in this frame
    kWait,      // left the program counter where it is; the frame ends
    kJump,      // jumped with TalkGoto (program counter 0); the next instruction runs in this frame
    kJumpYield, // jumped; the frame ends
    kEnded,     // the talk ended (the context is idle); the frame ends
    kFail,      // a bad operand: one box was shown; the machine ends the talk cleanly
};

// The instruction a handler runs.
struct TalkInstr {
    uint8_t* at = nullptr;   // its instruction word in the private window (state bits are written here)
    uint16_t word = 0;       // the instruction word with its state bits
    uint16_t op = 0;         // word & kTalkOpMask
    uint32_t pc = 0;         // its offset in the window
    uint32_t length = 0;     // bytes with the instruction word; the whole of it lies inside the window
    // A reader over its operand bytes (everything after the instruction word).
    ByteReader Operands() const { return ByteReader(at + 2, length - 2); }
    // The instruction's state bits 14 and 15.
    uint16_t StateBits() const { return word & 0xC000; }
    void SetStateBits(uint16_t bits);
};

using TalkHandler = TalkStep (*)(TalkInstr&);

// Each family registers its handlers into the machine's table (indexed by
// opcode, 0 .. kTalkHandlerSlots-1; the run-on switches and the end are the
// machine's own).
constexpr uint32_t kTalkHandlerSlots = 0xD7;
void RegisterTalkFlowOps(TalkHandler* table);
void RegisterTalkRoleOps(TalkHandler* table);
void RegisterTalkMediaOps(TalkHandler* table);
// The handler of an opcode (state bits masked off); null when none.
TalkHandler FindTalkHandler(uint16_t op);

// The whole state of the talk machine beyond the context and the variables
// (world/talk_state): one struct, one reset.
struct TalkMachine {
    uint8_t window[kTalkWindowBytes];
    uint32_t op = 0;        // the instruction being run (for error texts)
    uint32_t lastOp = 0;    // the last instruction that finished
    bool runOn = false;     // between 0x0400 and 0x0401, in this call of RunTalk only
    TalkFlowState flow;     // dialog options, caption, choice, clock
    TalkRoleState role;     // view scroll, shake, tint, focus point, view switches
    TalkMediaState media;   // banners, frame sequences, media and system state
};
extern TalkMachine gTalkMachine;

// Resets the machine, the context and the variables (new game, load, tests).
void ResetTalkMachine();

// ---- The machine's services (implemented in talk_machine.cpp) ----------------------------

// Runs the context for this frame; 0 when a talk file cannot be read (the
// game is then closing), else 1.
int RunTalk(RoleRecord& ctx);
// Every jump: window base = target, program counter 0, the window refilled
// from the talk file. False (after one box) when the target lies outside the file.
bool TalkGoto(RoleRecord& ctx, uint32_t target);
// Loads talk number's entry into the window (the context's talk number is not changed).
bool OpenTalkScript(RoleRecord& ctx, uint32_t talk);
// Releases one role held by a talk (the story countdown).
void TalkEnd(uint32_t roleIndex);
// The per-frame mouse trigger.
void MouseActiveStory();

// An operand GUID as a role GUID: 0xFFF0 is the talk's starter.
uint16_t TalkGuid(uint16_t operand);
// An operand GUID (after TalkGuid) resolved on the current map: 0xFFFE is
// the player. False when no live role has it (never role 0 by default).
bool TalkRole(uint16_t operand, uint32_t* index);
