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
#include <vector>

#include "base/bytes.h"
#include "world/script/talk_flow.h"
#include "world/script/talk_media.h"
#include "world/script/talk_ops.h"
#include "world/script/talk_role.h"
#include "world/talk_state.h"

// The caption of the talk machine's error boxes ("talk system").
inline constexpr char kTalkCaption[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE";

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
// Puts a handler into an opcode's slot and returns the one it replaced
// (tests of the machine's loop run stand-in handlers this way).
TalkHandler SetTalkHandler(uint16_t op, TalkHandler handler);

// The whole state of the talk machine beyond the context and the variables
// (world/talk_state): one struct, one reset.
struct TalkMachine {
    uint8_t window[kTalkWindowBytes];
    uint32_t op = 0;        // the instruction being run (for error texts)
    uint32_t lastOp = 0;    // the last instruction that finished
    bool runOn = false;     // between 0x0400 and 0x0401, in this call of RunTalk only
    bool loaded = false;    // the window holds the running talk's code
    bool fault = false;     // a service refused (bad jump target): the talk ends after the handler
    uint32_t file = 0;      // the talk file the window was read from (1, 2, ...)
    TalkFlowState flow;     // dialog options, caption, choice, clock
    TalkRoleState role;     // view scroll, shake, tint, focus point, view switches
    TalkMediaState media;   // banners, frame sequences, media and system state
};
extern TalkMachine gTalkMachine;

// Resets the machine, the context and the variables (new game, load, tests).
void ResetTalkMachine();

// ---- The machine's services (implemented in talk_machine.cpp) ----------------------------

// Instructions one call of RunTalk runs at most: a jump loop without a
// yielding instruction ends the talk with one box instead of freezing the frame.
constexpr uint32_t kTalkStepBudget = 4096;
// Code offsets below this point into the offset table, not at code.
constexpr uint32_t kTalkFirstCodeOffset = 4 * kTalkEntriesPerFile;
// A talk file larger than this is refused as corrupt.
constexpr uint32_t kTalkFileMaxBytes = 16u << 20;

// Runs the context for this frame; 0 when a talk file cannot be read (the
// quit bit is then set and the game closes), else 1.
int RunTalk(RoleRecord& ctx);
// Every jump: window base = target, program counter 0, the window refilled
// from the talk file. False (after one box) when the target does not lie in
// the code of the loaded file; the machine then ends the talk.
bool TalkGoto(RoleRecord& ctx, uint32_t target);
// Loads talk number's entry into the window (the context's talk number is
// not changed). False after one box: a file that cannot be read (the quit
// bit is set) or an entry whose offset lies outside the file.
bool OpenTalkScript(RoleRecord& ctx, uint32_t talk);
// The end instruction's work: roles released, talk path slots cleared, the
// player free, the context idle (all 0xFF). Also how a faulty talk ends.
void EndRunningTalk();
// Releases one role held by a talk (the story countdown).
void TalkEnd(uint32_t roleIndex);
// The per-frame mouse trigger.
void MouseActiveStory();

// Talk triggers. Each starts a talk only in an idle context (talk 99 of a
// lost fight ends a running talk first); the window is loaded by RunTalk
// once the player stands on the grid.
bool TalkIdle();
// The talk key or touching a role: the role's talk, window base, program
// counter, GUID, flags and position.
void StartRoleTalk(uint32_t roleIndex);
// A named point of the map (walked into or clicked): its talk from (x, y),
// no starter.
void StartPointTalk(uint32_t talk, int32_t x, int32_t y);
// The story countdown, a lost fight (99) and a new game (100): talk number
// for the GUID, from the start of the entry, at (x, y).
void StartStoryTalk(uint32_t talk, uint16_t guid, int32_t x = 0, int32_t y = 0);
// The story countdown's start: every role released and its talk lock
// cleared, then gCountdownTalk for gMapScriptGuid.
void StartTimedTalk();
// A lost fight the story goes on after: talk 99 for gMapScriptGuid.
void StartLostFightTalk();
// The running talk's window number as the map frame reads it (the menu
// button hides while it is above 7): the code offset of the loaded window,
// which never lies below the offset table; 0 while no talk runs or its
// window is not loaded yet.
int TalkWindowNumber();
// Points the map frame's talk seams (gMapSeams) at the machine: the frame
// draws and pages the talk dialogs and asks whether a talk runs and in which
// window. The walking
// code's talk questions and triggers are its own defaults
// (DefaultKeyColeHooks).
void BindTalkSeams();

// The named points' three values as the talk triggers read them.
constexpr int kPointTalk = 0;       // talk word (bit 15 ignored)
constexpr int kPointFlag = 1;       // story flag: while set the point blocks a step and takes a click
uint32_t PointTalk(uint32_t event, bool* found);


// A role definition's value word (its last word): select 1 the low byte,
// 2 the high byte; mode 1 reads the byte into *value, mode 2 writes the low
// byte of *value into it. The definition's index, or -1 when the GUID has
// none. Another select or mode changes nothing, and a read leaves *value 0.
int32_t RoleValue(uint16_t guid, int select, uint32_t* value, int mode);

// Talk files stay in memory once read. Tests and the fuzz target may hand a
// file's bytes in directly; FreeTalkFiles forgets them all.
void SetTalkFileBytes(uint32_t fileNumber, std::vector<uint8_t> bytes);
void FreeTalkFiles();

// An operand GUID as a role GUID: 0xFFF0 is the talk's starter.
uint16_t TalkGuid(uint16_t operand);
// An operand GUID (after TalkGuid) resolved on the current map: 0xFFFE is
// the player. False when no live role has it (never role 0 by default).
bool TalkRole(uint16_t operand, uint32_t* index);
